#pragma once
// Names of the confirmation codes page.
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* IdBox = "IdBox";
inline constexpr const char* KOD = "KOD";
inline constexpr const char* kodN = "kod";
// Label219..Label226 and Label260..Label267: the code grid's column captions.
inline constexpr const char* LabelN = "Label";
inline constexpr const char* NumKodEdit = "NumKodEdit";

}  // namespace kerma::fields
