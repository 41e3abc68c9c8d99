# Helpers of the Wine tests: the virtual panel on a pseudo-terminal seen by Wine as a COM port,
# Windows programs run with a time limit, checks that count failures. Sourced by bash scripts.

wine_setup() {
    : "${WINEPREFIX:?WINEPREFIX must name an initialised Wine prefix}"
    : "${KERMA_WINE_RUN:?KERMA_WINE_RUN must name scripts/wine-run.sh}"
    TMP="$(mktemp -d)"
    FOLDER_UNIX="$WINEPREFIX/drive_c/тест папка"
    FOLDER_WIN='C:\тест папка'
    rm -rf "$FOLDER_UNIX"
    mkdir -p "$FOLDER_UNIX"
    FAILS=0
    PASSES=0
    PANEL_PID=""
    trap wine_cleanup EXIT
}

wine_cleanup() {
    stop_panel
    rm -rf "$TMP"
}

pass() {
    PASSES=$((PASSES + 1))
    echo "  ok    $1"
}

fail() {
    FAILS=$((FAILS + 1))
    echo "  FAIL  $1"
    [ -n "${2:-}" ] && printf '%s\n' "$2" | sed 's/^/        /' | head -20
    return 0
}

finish() {
    echo "$1: проверок пройдено $PASSES, не пройдено $FAILS."
    [ "$FAILS" -eq 0 ]
}

# wine_run SECONDS PROGRAM ARGS...: $status, $out (stdout), $err (stderr).
wine_run() {
    local seconds="$1"
    shift
    KERMA_WINE_TIMEOUT="$seconds" "$KERMA_WINE_RUN" "$@" >"$TMP/out" 2>"$TMP/err"
    status=$?
    out="$(cat "$TMP/out")"
    err="$(cat "$TMP/err")"
}

# wine_start SECONDS ERR_FILE PROGRAM ARGS...: in the background; $! is its process.
wine_start() {
    local seconds="$1" errors="$2"
    shift 2
    KERMA_WINE_TIMEOUT="$seconds" "$KERMA_WINE_RUN" "$@" >/dev/null 2>"$errors" &
}

wait_for_text() {  # FILE TEXT SECONDS
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        grep -qF "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# start_panel LINK OPTIONS...: the Linux virtual panel serving a pty, linked at LINK.
start_panel() {
    stop_panel
    local link="$1"
    shift
    rm -f "$link"
    timeout 900 "$PANEL" --link "$link" "$@" >"$TMP/panel.log" 2>&1 &
    PANEL_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do
        [ -e "$link" ] && return 0
        sleep 0.1
    done
    fail "panel did not start" "$(cat "$TMP/panel.log")"
}

stop_panel() {
    [ -z "$PANEL_PID" ] && return 0
    kill "$PANEL_PID" 2>/dev/null
    wait "$PANEL_PID" 2>/dev/null
    PANEL_PID=""
}

# COM port N of the prefix opens the device at TARGET. The prefix's registry points COM1..COM10
# at $WINEPREFIX/ports/comN (scripts/wine-tests.sh); Wine's own mapping of dosdevices/comN to
# /dev/ttyS* would come back at every start of its server.
map_port() {
    mkdir -p "$WINEPREFIX/ports"
    ln -sfn "$2" "$WINEPREFIX/ports/com$1"
}

unmap_port() {
    rm -f "$WINEPREFIX/ports/com$1"
}

expect_status() {  # NAME CODE
    if [ "$status" -eq "$2" ]; then pass "$1"; else fail "$1 (status $status, expected $2)" "$err"; fi
}

expect_text() {  # NAME TEXT NEEDLE
    case "$2" in
        *"$3"*) pass "$1" ;;
        *) fail "$1: no \"$3\"" "$2" ;;
    esac
}

expect_same() {  # NAME FILE EXPECTED
    if cmp -s "$2" "$3"; then pass "$1"; else fail "$1" "$(cmp "$2" "$3" 2>&1)"; fi
}

expect_differ() {  # NAME FILE OTHER
    if [ -f "$2" ] && ! cmp -s "$2" "$3"; then pass "$1"; else fail "$1"; fi
}
