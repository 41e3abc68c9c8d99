#pragma once
// Names of the editor window's own controls (buttons, pages, status bar).
// As constants, a misspelt name does not compile. A name ending in N is a numbered family's
// stem (stem + 1, stem + 2, ...).

namespace kerma::fields {

inline constexpr const char* BitBtn1 = "BitBtn1";
inline constexpr const char* CancelButton = "CancelButton";
inline constexpr const char* ConnectButton = "ConnectButton";
inline constexpr const char* DefaultButton = "DefaultButton";
inline constexpr const char* LoadButton = "LoadButton";
inline constexpr const char* PageControl = "PageControl";
inline constexpr const char* Panel1 = "Panel1";
inline constexpr const char* ReadButton = "ReadButton";
inline constexpr const char* SaveButton = "SaveButton";
inline constexpr const char* StatusBar1 = "StatusBar1";
inline constexpr const char* StatusPanel0 = "StatusPanel0";
inline constexpr const char* StatusPanel1 = "StatusPanel1";
inline constexpr const char* TabSheetKey = "TabSheetKey";
inline constexpr const char* TabSheetKod = "TabSheetKod";
inline constexpr const char* TabSheetName = "TabSheetName";
inline constexpr const char* TabSheetNameRzd = "TabSheetNameRzd";
inline constexpr const char* TabSheetPriv = "TabSheetPriv";
inline constexpr const char* TabSheetRazdel = "TabSheetRazdel";
inline constexpr const char* TabSheetSysNum = "TabSheetSysNum";
inline constexpr const char* WriteButton = "WriteButton";

}  // namespace kerma::fields
