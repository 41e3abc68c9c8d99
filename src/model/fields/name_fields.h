#pragma once
// Names of the partition names page.
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* LabelSimbN = "LabelSimb";
inline constexpr const char* NameRzdN = "NameRzd";
inline constexpr const char* OwnNameN = "OwnName";

}  // namespace kerma::fields
