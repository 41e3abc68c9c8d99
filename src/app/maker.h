#pragma once
// The maker's addresses, shown on the main window and behind the editor's logos.
namespace kerma {

inline constexpr const char* kMakerName = "Volmar";
inline constexpr const char* kMakerWeb = "www.volmar.ru";
inline constexpr const char* kSupportEmail = "support@volmar.ru";
inline constexpr const char* kMailSubject = "Setka-740";

}  // namespace kerma
