#pragma once
// Names of the detector bindings page.
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* Border1 = "Border1";
inline constexpr const char* BorderN = "Border";
inline constexpr const char* GroupBox26 = "GroupBox26";
inline constexpr const char* GroupBoxPriv = "GroupBoxPriv";
inline constexpr const char* PageControlRPU = "PageControlRPU";
inline constexpr const char* RPU1 = "RPU1";
inline constexpr const char* RPUN = "RPU";

}  // namespace kerma::fields
