#pragma once
#include <cstdint>
#include <string>

#include "link_types.h"

namespace kerma {

// Text of an outcome as the editor's status bar shows it ("" for codes without a text).
[[nodiscard]] std::string OutcomeText(int32_t code);

// A write that ended after the panel took the codes block and before it took the settings block,
// with the backup of what the panel held before ("" when none was kept).
[[nodiscard]] std::string WriteCutText(const std::string& formerBackup);

}  // namespace kerma
