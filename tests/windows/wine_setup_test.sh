#!/bin/bash
# The Windows build as a user meets it: the executables' icon, version information and manifest;
# the setup program installing silently with its Start-menu entry, the installed client reaching
# the panel, and the uninstaller keeping the user's files; the editor at 150 % on a 1920 x 1080
# screen with a taskbar.
# Usage: wine_setup_test.sh WINDOWS_BIN_DIR SETUP_EXE LINUX_PANEL
# Environment: WINEPREFIX, KERMA_WINE_RUN, DISPLAY.
set -u
. "$(dirname "$0")/wine_lib.sh"
WIN_BIN="$1"
SETUP="$2"
PANEL="$3"
USER_DIR="$WINEPREFIX/drive_c/users/$(id -un)/AppData"
INSTALL="$USER_DIR/Local/Programs/Kerma-740"
MENU_ENTRY="$USER_DIR/Roaming/Microsoft/Windows/Start Menu/Programs/Kerma-740.lnk"
BACKUPS="$USER_DIR/Roaming/kerma740-config/backups"
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kerma-740'
DPI_KEY='HKCU\Control Panel\Desktop'
# A shortcut in the Start menu would otherwise become a menu entry of the Linux desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"

# Whether FILE holds TEXT in UTF-16 (as resources, version information and shortcuts keep it),
# followed by what the Perl pattern AFTER matches.
has_utf16() {  # FILE TEXT [AFTER]
    local pattern
    pattern="$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -d ' \n' |
        sed 's/\(..\)/\\x\1/g')"
    LC_ALL=C grep -qaP "$pattern${3:-}" "$1"
}

# The resource types of an executable, as objdump lists them: 0e icon, 10 version, 18 manifest.
test_resources() {  # EXE DESCRIPTION
    local exe="$WIN_BIN/$1" types kind
    types=" $(x86_64-w64-mingw32-objdump -p "$exe" |
        sed -n 's/^[0-9a-f]\{3\}   Entry: ID: 0x0000\([0-9a-f][0-9a-f]\),.*/\1/p' | tr '\n' ' ')"
    for kind in 0e:icon 10:version 18:manifest; do
        case "$types" in
            *" ${kind%%:*} "*) pass "$1: ${kind#*:}" ;;
            *) fail "$1: ${kind#*:}" "resource types:$types" ;;
        esac
    done
    if has_utf16 "$exe" "$2" && has_utf16 "$exe" "Volmar" && has_utf16 "$exe" "Kerma-740"; then
        pass "$1: description, maker and product in the version information"
    else
        fail "$1: description, maker and product in the version information"
    fi
    if grep -qa "PerMonitorV2" "$exe" && grep -qa "longPathAware" "$exe" &&
        grep -qa "Microsoft.Windows.Common-Controls" "$exe"; then
        pass "$1: manifest declares DPI awareness, long paths, common controls"
    else
        fail "$1: manifest declares DPI awareness, long paths, common controls"
    fi
}

# The files a user leaves in the program's folder and his backups.
add_user_files() {
    mkdir -p "$INSTALL/Base" "$BACKUPS"
    printf 'firmware' >"$INSTALL/Base/740-QNMv1_55.tsk"
    printf '1\r\n' >"$BACKUPS/2026-01-01_00-00-00_v1.8_read.cfg"
}

# The uninstaller's first page names what stays and where the backups are. window_text starts it
# (not silently), reads the page and ends it before anything is removed.
test_uninstall_page() {
    local result="$WINEPREFIX/drive_c/uninstall_page.txt"
    rm -f "$result"
    wine_run 120 "$WIN_BIN/window_text.exe" 'C:\uninstall_page.txt' "Удаление программы Kerma-740" \
        "$(winepath -w "$INSTALL/uninstall.exe" 2>/dev/null)"
    local page
    page="$(cat "$result" 2>/dev/null)"
    expect_text "uninstall page: configurations kept" "$page" "файлы конфигураций"
    expect_text "uninstall page: the backups folder named" "$page" 'kerma740-config\backups'
}

test_setup() {
    rm -rf "$INSTALL" "$MENU_ENTRY"
    wine_run 120 "$SETUP" /S
    expect_status "setup: silent install" 0
    if [ -f "$INSTALL/kerma740-config.exe" ] && [ -f "$INSTALL/kerma740-cli.exe" ] &&
        [ -f "$INSTALL/Справка/index.html" ] && [ -f "$INSTALL/uninstall.exe" ]; then
        pass "setup: programs and help in %LOCALAPPDATA%\\Programs\\Kerma-740"
    else
        fail "setup: programs and help in %LOCALAPPDATA%\\Programs\\Kerma-740" "$(ls -R "$INSTALL" 2>&1)"
    fi
    # The working folder: the install folder, not followed by a file name as the target is.
    if [ -f "$MENU_ENTRY" ] &&
        has_utf16 "$MENU_ENTRY" 'AppData\Local\Programs\Kerma-740' '(?!\x5c\x00)'; then
        pass "setup: Start-menu entry Kerma-740 working in the program's folder"
    else
        fail "setup: Start-menu entry Kerma-740 working in the program's folder"
    fi
    wine_run 60 reg query "$UNINSTALL_KEY" /v UninstallString
    expect_text "setup: listed among the installed programs" "$out" "uninstall.exe"
    wine_run 60 reg query "$UNINSTALL_KEY" /v EstimatedSize
    if [[ "$out" =~ EstimatedSize[[:space:]]+REG_DWORD[[:space:]]+0x0*[1-9a-f] ]]; then
        pass "setup: the list of installed programs shows its size"
    else
        fail "setup: the list of installed programs shows its size" "$out"
    fi
    test_uninstall_page

    start_panel "$TMP/com1"
    map_port 1 "$TMP/com1"
    wine_run 120 "$INSTALL/kerma740-cli.exe" probe --port "com 1"
    expect_status "setup: the installed client reaches the panel" 0
    stop_panel

    add_user_files
    wine_run 120 "$INSTALL/uninstall.exe" /S
    # The uninstaller goes on from a copy of itself after this one has ended.
    local i
    for ((i = 0; i < 300; i++)); do
        [ -e "$INSTALL/kerma740-config.exe" ] || [ -e "$INSTALL/uninstall.exe" ] || break
        sleep 0.1
    done
    if [ ! -e "$INSTALL/kerma740-config.exe" ] && [ ! -e "$INSTALL/Справка" ] &&
        [ ! -e "$MENU_ENTRY" ]; then
        pass "uninstall: programs, help and Start-menu entry removed"
    else
        fail "uninstall: programs, help and Start-menu entry removed" "$(ls -R "$INSTALL" 2>&1)"
    fi
    wine_run 60 reg query "$UNINSTALL_KEY"
    if [ "$status" -ne 0 ]; then pass "uninstall: no longer listed"; else fail "uninstall: no longer listed"; fi
    if [ -f "$INSTALL/Base/740-QNMv1_55.tsk" ] && [ -f "$BACKUPS/2026-01-01_00-00-00_v1.8_read.cfg" ]; then
        pass "uninstall: the user's firmware folder and backups kept"
    else
        fail "uninstall: the user's firmware folder and backups kept"
    fi
    rm -rf "$INSTALL" "$BACKUPS/2026-01-01_00-00-00_v1.8_read.cfg"
}

# A laptop at 150 %: Wine's desktop named "shell" has a taskbar, which the free area leaves out.
# window_fits starts the program in that desktop, connects and measures the editor.
test_editor_at_150() {
    local result="$WINEPREFIX/drive_c/fits.txt" program
    rm -f "$result"
    wine_run 30 reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d 144 /f
    DPI_RAISED=1
    start_panel "$TMP/com1"
    map_port 1 "$TMP/com1"
    program="$(winepath -w "$WIN_BIN/kerma740-config.exe" 2>/dev/null)"
    wine_run 180 explorer /desktop=shell,1920x1080 "$(winepath -w "$WIN_BIN/window_fits.exe" 2>/dev/null)" \
        'C:\fits.txt' "$program"
    local i
    for ((i = 0; i < 1500; i++)); do
        [ -s "$result" ] && break
        sleep 0.1
    done
    case "$(cat "$result" 2>/dev/null)" in
        fits*) pass "editor at 150 %: inside the free area ($(cat "$result"))" ;;
        *) fail "editor at 150 %: inside the free area" "$(cat "$result" 2>/dev/null)" ;;
    esac
    timeout 30 wineserver -k 2>/dev/null
    stop_panel
    normal_dpi
}

# The prefix outlives the run: the other tests must not find it at 150 %.
normal_dpi() {
    [ -n "${DPI_RAISED:-}" ] || return 0
    DPI_RAISED=""
    KERMA_WINE_TIMEOUT=30 "$KERMA_WINE_RUN" reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1
}

wine_setup
trap 'normal_dpi; wine_cleanup' EXIT
test_resources kerma740-config.exe "Программа задания режимов работы ППКОП Kerma-740"
test_resources kerma740-cli.exe "Связь с ППКОП Kerma-740 из командной строки"
test_setup
test_editor_at_150
finish "установка под Wine"
