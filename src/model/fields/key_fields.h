#pragma once
// Names of the Touch Memory keys page.
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* KEY = "KEY";
inline constexpr const char* KeyN = "Key";
inline constexpr const char* NumKeyEdit = "NumKeyEdit";
inline constexpr const char* TM0132 = "TM0132";
inline constexpr const char* TM3264 = "TM3264";
inline constexpr const char* TM6496 = "TM6496";

}  // namespace kerma::fields
