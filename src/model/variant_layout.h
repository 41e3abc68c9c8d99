#pragma once
// Shapes the editor for the panel's variant and firmware minor number: which pages, groups and
// captions exist.
#include <cstdint>
#include <optional>

#include "k740_editor.h"

namespace kerma {

// Applies the layout of a variant (1..5) and the rules of its minor number. In demo mode the
// minor rules give way to the demo rules. Returns the LayoutCode the link must use from now on,
// or nullopt in demo mode, where the factory defaults set it.
std::optional<int32_t> ApplyVariantLayout(K740Editor& editor, int variant, int minor, bool demo);

// "  Демо режим для " + the variant's text + " Связь с прибором недоступна."
[[nodiscard]] std::string DemoStatusText(int variant);

}  // namespace kerma
