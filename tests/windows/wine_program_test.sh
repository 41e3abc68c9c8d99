#!/bin/bash
# kerma740-config.exe under Wine and an X server, driven from the keyboard as an installer would:
# connect to the virtual panel on "com 13" (an adapter's number beyond the designed ten), read, save the configuration into a folder with
# Cyrillic letters and a blank, load another file from there, write it to the panel.
# Usage: wine_program_test.sh WINDOWS_BIN_DIR LINUX_PANEL [SCREENSHOT_DIR]
# Environment: WINEPREFIX, KERMA_WINE_RUN, DISPLAY (a server without a window manager).
set -u
. "$(dirname "$0")/wine_lib.sh"
WIN_BIN="$1"
PANEL="$2"
SHOTS="${3:-}"
PROGRAM_PID=""

MAIN_TITLE="Программа задания режимов работы ППКОП Kerma-740"
EDITOR_TITLE="Прибор приемно контрольный"

cli() {
    wine_run 120 "$WIN_BIN/kerma740-cli.exe" "$@"
}

window() {  # TITLE_PATTERN: the first window whose name matches, or nothing
    xdotool search --name "$1" 2>/dev/null | head -1
}

wait_for_window() {  # TITLE_PATTERN SECONDS
    local i id
    for ((i = 0; i < $2 * 2; i++)); do
        id="$(window "$1")"
        [ -n "$id" ] && echo "$id" && return 0
        sleep 0.5
    done
    return 1
}

wait_for_file() {  # PATH SECONDS
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        [ -s "$1" ] && sleep 0.3 && return 0
        sleep 0.1
    done
    return 1
}

shot() {  # NAME: the screen into the screenshot folder, cut to the program's windows
    [ -z "$SHOTS" ] && return 0
    local id="$(window "$EDITOR_TITLE")"
    [ -z "$id" ] && id="$(window "$MAIN_TITLE")"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$SHOTS/$1.png"
}

# Keyboard focus on the editor's first button ("Записать конфигурацию в прибор") without
# pressing it: the mouse goes down on it and comes up elsewhere. The other buttons follow in
# rows: 4 tabs to "Считать файл", 5 to "Записать в файл".
focus_first_button() {
    local id
    id="$(window "$EDITOR_TITLE")"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool mousemove $((X + 20)) $((Y + 15)) mousedown 1 mousemove $((X + 20)) $((Y + 400)) mouseup 1
    sleep 0.3
}

press_button() {  # TABS: the button that many tabs after the first one
    focus_first_button
    local i
    for ((i = 0; i < $1; i++)); do xdotool key Tab; done
    xdotool key space
}

# A file named in the program's own file dialog. The first dialog of each kind opens in the
# user's Documents, which the test makes the Cyrillic folder; later ones where their kind was
# left.
choose_file() {  # NAME
    sleep 2
    xdotool type --delay 20 "$1"
    xdotool key Return
}

stop_program() {
    [ -z "$PROGRAM_PID" ] && return 0
    kill "$PROGRAM_PID" 2>/dev/null
    wait "$PROGRAM_PID" 2>/dev/null
    PROGRAM_PID=""
}

on_failure_shot() {
    import -window root "$TMP/screen.png" 2>/dev/null && cp "$TMP/screen.png" "${KERMA_FAILURE_SHOT:-/dev/null}"
}

SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
# Documents is the folder with Cyrillic letters and a blank while the program runs, and the
# prefix's own again afterwards.
documents() {  # FOLDER_WIN, or nothing for the prefix's own
    if [ -n "${1:-}" ]; then
        wine_run 60 reg add "$SHELL_FOLDERS" /v Personal /t REG_EXPAND_SZ /d "$1" /f
    else
        wine_run 60 reg add "$SHELL_FOLDERS" /v Personal /t REG_EXPAND_SZ /d '%USERPROFILE%\Documents' /f
    fi
}

wine_setup
trap 'stop_program; documents; wine_cleanup' EXIT
: "${DISPLAY:?DISPLAY must name an X server}"
ASCII_UNIX="$WINEPREFIX/drive_c/kerma-test"
ASCII_WIN='C:\kerma-test'
rm -rf "$ASCII_UNIX"
mkdir -p "$ASCII_UNIX"
BACKUPS="$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming)/kerma740-config/backups"
rm -rf "$BACKUPS"

# The panel holds a configuration of its own (exit time 30), the file to load is the factory one.
cli defaults --variant 1 --out "$ASCII_WIN\\factory.cfg"
awk 'NR == 9 { printf "30\r\n"; next } { print }' "$ASCII_UNIX/factory.cfg" >"$ASCII_UNIX/edited.cfg"
cli resave "$ASCII_WIN\\edited.cfg" "$ASCII_WIN\\memory.cfg"
expect_status "program: the panel's configuration prepared" 0
cp "$ASCII_UNIX/factory.cfg" "$FOLDER_UNIX/factory.cfg"
start_panel "$TMP/com13" --memory "$ASCII_UNIX/memory.cfg" --save "$TMP/saved.cfg"
map_port 13 "$TMP/com13"
# Where "com 13" is in the list: the client prints the program's list.
cli ports
port_index="$(printf '%s\n' "$out" | tr -d '\r' | awk -F'\t' '$1 == "com 13" { print NR - 1; exit }')"
if [ -n "$port_index" ]; then pass "program: com 13 in the list"; else fail "program: com 13 in the list" "$out"; fi

documents "$FOLDER_WIN"
(cd "$FOLDER_UNIX" && KERMA_WINE_TIMEOUT=300 exec "$KERMA_WINE_RUN" "$WIN_BIN/kerma740-config.exe" \
    >"$TMP/program.log" 2>&1) &
PROGRAM_PID=$!

if main="$(wait_for_window "$MAIN_TITLE" 90)"; then
    pass "program: main window"
else
    fail "program: main window" "$(cat "$TMP/program.log")"
    finish "программа под Wine"
    exit 1
fi
# A window found the moment it is created may not be mapped yet, and focusing it then fails
# (BadMatch) and leaves the keys below to nobody: try again until it has the focus.
for ((i = 0; i < 20; i++)); do
    xdotool windowfocus --sync "$main" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main" ] && break
    sleep 0.5
done
# The focus starts on the first family box; three tabs on, past the other box and the chosen
# system, is the port list.
xdotool key Tab Tab Tab Home
for ((i = 0; i < ${port_index:-0}; i++)); do xdotool key Down; done
sleep 0.5
shot windows_main
xdotool key F2
if wait_for_window "$EDITOR_TITLE" 60 >/dev/null; then pass "program: editor opened"; else fail "program: editor opened"; fi

# Every configuration read is kept as a backup: its arrival marks the end of the read.
for ((i = 0; i < 300; i++)); do
    backup="$(ls "$BACKUPS"/*.cfg 2>/dev/null | head -1)"
    [ -n "$backup" ] && break
    sleep 0.2
done
sleep 1
if [ -n "$backup" ]; then
    pass "program: read, backup in %APPDATA%\\kerma740-config\\backups"
    expect_same "program: the backup holds the panel's configuration" "$backup" "$ASCII_UNIX/memory.cfg"
else
    on_failure_shot
    fail "program: read, backup in %APPDATA%\\kerma740-config\\backups"
fi
shot windows_editor

press_button 5  # "Записать в файл"
choose_file "read.cfg"
if wait_for_file "$FOLDER_UNIX/read.cfg" 15; then
    expect_same "program: saved into the Cyrillic folder" "$FOLDER_UNIX/read.cfg" "$ASCII_UNIX/memory.cfg"
else
    on_failure_shot
    fail "program: saved into the Cyrillic folder"
fi

press_button 4  # "Считать файл"
choose_file "factory.cfg"
sleep 2
press_button 5
choose_file "loaded.cfg"
if wait_for_file "$FOLDER_UNIX/loaded.cfg" 15; then
    expect_same "program: loaded from the Cyrillic folder" "$FOLDER_UNIX/loaded.cfg" "$FOLDER_UNIX/factory.cfg"
else
    on_failure_shot
    fail "program: loaded from the Cyrillic folder"
fi

press_button 0  # "Записать конфигурацию в прибор"
# The panel saves its memory after each block it accepts: the file is whole after the last one.
for ((i = 0; i < 600; i++)); do
    cmp -s "$TMP/saved.cfg" "$FOLDER_UNIX/factory.cfg" && break
    sleep 0.1
done
if [ -s "$TMP/saved.cfg" ]; then
    expect_same "program: the loaded file written to the panel" "$TMP/saved.cfg" "$FOLDER_UNIX/factory.cfg"
else
    on_failure_shot
    fail "program: the loaded file written to the panel"
fi
sleep 2
shot windows_after_write

stop_program
finish "программа под Wine"
