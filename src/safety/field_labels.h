#pragma once
// The editor's fields in the installer's words ("Время выхода", "Код 3, раздел 5"), for messages
// that name fields, such as the check of a write.
#include <string>
#include <string_view>

namespace kerma {

// The label of a control bound to a configuration (any letter case), or the name itself for a
// control without one. Also "VersionByte", "CodeCount", "KeyCount" of the editor's state.
[[nodiscard]] std::string FieldLabel(std::string_view controlName);

}  // namespace kerma
