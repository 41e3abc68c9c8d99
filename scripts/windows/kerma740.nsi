; The setup program of the Windows build, made by scripts/windows.sh with NSIS (makensis).
; Installs for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Kerma-740, with a Start-menu entry and an uninstaller that leaves the
; user's files (configurations, the Base folder of firmware, backups) where they are and says so.
; Defines from the command line: STAGE (the folder with the programs), OUTFILE, ICON, VERSION
; (major.minor).
; The programs are 64-bit only; so is the setup (and it runs where they run, Wine without 32-bit
; support included).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Kerma-740"
!define MAKER "Volmar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kerma-740"
!define PROGRAM "kerma740-config.exe"

Name "${PRODUCT}"
Caption "Установка программы ${PRODUCT}"
UninstallCaption "Удаление программы ${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kerma-740"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${MAKER}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы задания режимов работы ППКОП Kerma-740"
VIAddVersionKey /LANG=1049 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "© ${MAKER}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!insertmacro MUI_PAGE_FINISH
; The user's files stay where they are; the page says so before anything goes.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Будут удалены программа ${PRODUCT}, её справка и пункт меню «Пуск». \
Остаются: ваши файлы конфигураций (там, где вы их сохранили, например в папке «Документы»), \
резервные копии конфигураций в папке $APPDATA\kerma740-config\backups и папка Base с прошивками."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\kerma740-config.exe"
    File "${STAGE}\kerma740-cli.exe"
    File "${STAGE}\ПРОЧТИТЕ.txt"
    SetOutPath "$INSTDIR\Справка"
    File "${STAGE}\Справка\*.*"
    ; The shortcut's working folder is the folder set last: the program finds Base\ there.
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    ; The size the list of installed programs shows, in kilobytes.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the setup put there goes; a folder the user filled stays with his files.
Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\kerma740-config.exe"
    Delete "$INSTDIR\kerma740-cli.exe"
    Delete "$INSTDIR\ПРОЧТИТЕ.txt"
    Delete "$INSTDIR\Справка\*.html"
    RMDir "$INSTDIR\Справка"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
