#pragma once
// Names of the detector system numbers page.
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* PageControl2 = "PageControl2";
// TabSheet3..: the receivers' sub-pages of PageControl2.
inline constexpr const char* TabSheetN = "TabSheet";

}  // namespace kerma::fields
