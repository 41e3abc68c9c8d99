#pragma once
#include <cstdint>
#include <string>

#include "link_types.h"

namespace kerma {

// Text of an outcome as the editor's status bar shows it ("" for codes without a text).
[[nodiscard]] std::string OutcomeText(int32_t code);

}  // namespace kerma
