#!/bin/bash
# The Windows client under Wine against the virtual panel: the panel serves a pseudo-terminal
# that the Wine prefix sees as a COM port. Files go to a folder with Cyrillic letters and a blank.
# Usage: wine_cli_test.sh WINDOWS_BIN_DIR LINUX_PANEL
# Environment: WINEPREFIX (an initialised prefix), KERMA_WINE_RUN (scripts/wine-run.sh).
set -u
. "$(dirname "$0")/wine_lib.sh"
WIN_BIN="$1"
PANEL="$2"
CLI="$WIN_BIN/kerma740-cli.exe"

# kerma740-cli.exe ARGS...: status in $status, output in $out, messages in $err.
cli() {
    wine_run 120 "$CLI" "$@"
}

# A configuration with a different value in nearly every cell, as the Linux tests use: settings
# 1024 cells, codes 1024 (1792 for variant 5), version in cell 1, the file's zero cells at 0.
distinct() {  # VERSION [invert] > FILE
    awk -v version="$1" -v invert="${2:-0}" 'BEGIN {
        codes = (version >= 50) ? 1792 : 1024
        for (i = 0; i < 1024; i++) {
            v = (i * 13 + 1) % 256
            if (i == 1) v = version
            if (i == 6 || i == 7 || i == 38 || i == 39) v = 0
            printf "%d\r\n", v
        }
        for (i = 0; i < codes; i++) {
            v = (i * 29 + 7) % 256
            if (invert) v = 255 - v
            printf "%d\r\n", v
        }
    }'
}

# Cell CELL of a configuration file set to VALUE.
set_cell() {  # FILE CELL VALUE > FILE
    awk -v cell="$2" -v value="$3" 'NR == cell + 1 { printf "%d\r\n", value; next } { print }' "$1"
}

test_raw_round_trip() {  # VERSION
    local version="$1" tag="raw $1"
    distinct "$version" >"$TMP/memory$version.cfg"
    distinct "$version" 1 >"$FOLDER_UNIX/запись $version.cfg"
    start_panel "$TMP/com1" --memory "$TMP/memory$version.cfg" --save "$TMP/saved$version.cfg"
    map_port 1 "$TMP/com1"

    cli probe --port "com 1"
    expect_status "$tag: probe" 0
    expect_text "$tag: probe reports the version" "$out" "Версия ПО прибора: v ${version:0:1}.${version:1}"
    cli probe --port "com 1" --format=keys
    expect_status "$tag: probe for scripts" 0
    expect_text "$tag: probe for scripts reports the version" "$out" "version=$version"

    cli read --raw --port "com 1" --out "$FOLDER_WIN\\чтение $version.cfg"
    expect_status "$tag: read" 0
    expect_same "$tag: read gives the panel's memory" "$FOLDER_UNIX/чтение $version.cfg" \
        "$TMP/memory$version.cfg"

    cli write --raw --port "com 1" "$FOLDER_WIN\\запись $version.cfg"
    expect_status "$tag: write" 0
    expect_same "$tag: the panel holds what was written" "$TMP/saved$version.cfg" \
        "$FOLDER_UNIX/запись $version.cfg"
    stop_panel
}

# Through the editor, as the desktop program reads and writes.
test_editor_round_trip() {  # VARIANT
    local variant="$1" tag="editor $1"
    local exit_cell=8
    [ "$variant" = 5 ] && exit_cell=24
    cli defaults --variant "$variant" --out "$FOLDER_WIN\\завод $variant.cfg"
    expect_status "$tag: factory file" 0
    start_panel "$TMP/com1" --memory "$FOLDER_UNIX/завод $variant.cfg" \
        --save "$TMP/saved-editor$variant.cfg"
    map_port 1 "$TMP/com1"

    # The backup of the read goes to a folder named in the environment, in Cyrillic letters too.
    rm -rf "$FOLDER_UNIX/копии $variant"
    KERMA740_BACKUP_DIR="$FOLDER_WIN\\копии $variant" \
        cli read --port "com 1" --out "$FOLDER_WIN\\прочитано $variant.cfg"
    expect_status "$tag: read" 0
    expect_same "$tag: read gives the factory file" "$FOLDER_UNIX/прочитано $variant.cfg" \
        "$FOLDER_UNIX/завод $variant.cfg"
    local backup
    backup="$(ls "$FOLDER_UNIX/копии $variant"/*.cfg 2>/dev/null | head -1)"
    if [ -n "$backup" ]; then
        expect_same "$tag: backup of the read" "$backup" "$FOLDER_UNIX/завод $variant.cfg"
    else
        fail "$tag: backup of the read" "$(ls -R "$WINEPREFIX/drive_c" | head -20)"
    fi

    set_cell "$FOLDER_UNIX/завод $variant.cfg" "$exit_cell" 30 >"$FOLDER_UNIX/правка $variant.cfg"
    cli resave "$FOLDER_WIN\\правка $variant.cfg" "$FOLDER_WIN\\к записи $variant.cfg"
    expect_status "$tag: resave" 0
    cli write --port "com 1" "$FOLDER_WIN\\к записи $variant.cfg"
    expect_status "$tag: write" 0
    cli read --port "com 1" --out "$FOLDER_WIN\\снова $variant.cfg"
    expect_status "$tag: read after the write" 0
    expect_same "$tag: the written file comes back" "$FOLDER_UNIX/снова $variant.cfg" \
        "$FOLDER_UNIX/к записи $variant.cfg"
    expect_differ "$tag: the change reached the panel" "$FOLDER_UNIX/снова $variant.cfg" \
        "$FOLDER_UNIX/завод $variant.cfg"
    stop_panel
}

# A PDF report: the client makes the application object Qt lays the text out in, on Windows too.
test_pdf_report() {
    cli defaults --variant 3 --out "$FOLDER_WIN\\отчёт.cfg"
    cli report "$FOLDER_WIN\\отчёт.cfg" --out "$FOLDER_WIN\\отчёт.pdf"
    expect_status "pdf report: written" 0
    expect_text "pdf report: said" "$err" "Отчёт о конфигурации записан в файл"
    local pdf="$FOLDER_UNIX/отчёт.pdf" ends
    ends="$(head -c 5 "$pdf" 2>/dev/null) $(tail -c 6 "$pdf" 2>/dev/null)"
    expect_text "pdf report: a whole document" "$ends" "%PDF- %%EOF"
}

# A silent panel is reported after the handshake's attempts; while the first client waits for
# it, a second one finds the port held.
test_silent_and_busy() {
    start_panel "$TMP/com1" --silent
    map_port 1 "$TMP/com1"
    local first_err="$TMP/first.err"
    wine_start 120 "$first_err" "$CLI" probe --port "com 1"
    local holder=$!
    if wait_for_text "$first_err" "Попытка №2" 60; then
        cli probe --port "com 1"
        expect_status "busy port: refused" 1
        expect_text "busy port: message" "$err" "Порт COM1 занят другой программой или не доступен."
    else
        fail "busy port: the first client never started its attempts"
    fi
    wait "$holder"
    status=$?
    err="$(cat "$first_err")"
    expect_status "silent panel: probe fails" 1
    expect_text "silent panel: message" "$err" "Нет ответа от прибора"
    stop_panel
}

# The adapter pulled in the middle of a write (the far end of the terminal hangs up once it has
# taken the codes frame and part of the settings frame): the port is named as gone at once, and
# the installer hears that the panel may hold new codes with old settings.
test_adapter_pulled() {
    distinct 18 >"$TMP/pulled.cfg"
    distinct 18 1 >"$FOLDER_UNIX/pulled.cfg"
    start_panel "$TMP/com1" --memory "$TMP/pulled.cfg" --hang-up-after 1100
    map_port 1 "$TMP/com1"
    cli write --raw --port "com 1" "$FOLDER_WIN\\pulled.cfg"
    expect_status "adapter pulled: write fails" 1
    expect_text "adapter pulled: the port named" "$err" "Порт COM1 пропал: адаптер отключён от компьютера."
    expect_text "adapter pulled: the cut write said" "$err" "Запись не завершена"
    stop_panel
}

test_port_ten_and_absent_port() {
    start_panel "$TMP/com10"
    map_port 10 "$TMP/com10"
    cli probe --port "com 10"
    expect_status "com 10: probe" 0
    stop_panel
    unmap_port 10

    unmap_port 7
    cli probe --port "com 7"
    expect_status "absent port: refused" 1
    expect_text "absent port: message" "$err" "Порт COM7 занят другой программой или не доступен."
}

# An adapter Windows numbered COM13: listed after "com 10", reached by its number, and a message
# with the reason when it is gone.
test_port_thirteen() {
    start_panel "$TMP/com13"
    map_port 13 "$TMP/com13"
    cli ports
    expect_text "com 13: listed" "$out" "com 13"
    cli probe --port "com 13"
    expect_status "com 13: probe" 0
    stop_panel
    unmap_port 13
    cli probe --port "com 13"
    expect_status "com 13 gone: refused" 1
    expect_text "com 13 gone: message" "$err" "Порт COM13 занят другой программой или не доступен."
}

# In a console the Russian is written as characters, whatever the console's code page; --help
# is a successful run. script(1) gives the client a terminal, which Wine makes a console.
test_console_and_help() {
    script -qec "KERMA_WINE_TIMEOUT=60 '$KERMA_WINE_RUN' '$CLI' --help" /dev/null >"$TMP/console" 2>&1
    status=$?
    expect_status "console: --help" 0
    expect_text "console: Russian shown" "$(tr -d '\r' <"$TMP/console")" "Использование:"
    expect_text "console: the port example is \"com N\"" "$(cat "$TMP/console")" '"com 3"'
}

wine_setup
test_console_and_help
for version in 18 33 53; do test_raw_round_trip "$version"; done
for variant in 1 3 5; do test_editor_round_trip "$variant"; done
test_pdf_report
test_silent_and_busy
test_adapter_pulled
test_port_ten_and_absent_port
test_port_thirteen
finish "клиент под Wine"
