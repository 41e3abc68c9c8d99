#pragma once
// Names of the object numbers page (QN family).
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* BitBtn2 = "BitBtn2";
inline constexpr const char* PageControlRPY4 = "PageControlRPY4";
inline constexpr const char* TabSheet_QN_RPY1 = "TabSheet_QN_RPY1";
inline constexpr const char* TabSheet_QN_RPYN = "TabSheet_QN_RPY";

}  // namespace kerma::fields
