#!/bin/sh
# Tests the Windows build under Wine: the unit tests as .exe, the client and the program against
# the Linux virtual panel on a pseudo-terminal that the Wine prefix sees as a COM port. Starts its
# own X server and Wine server and stops both at the end.
# Usage: scripts/wine-tests.sh [BUILD_DIR] [--timeouts]
#   --timeouts  only print how long the port waits on Linux and under Wine (a silent panel)
set -e
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
BUILD="${1:-build-win}"
WIN_BIN="$(cd "$BUILD/bin" 2>/dev/null && pwd)" || { echo "Нет сборки для Windows в $BUILD." >&2; exit 1; }
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/kerma740"
JOBS="$(nproc)"
export WINEPREFIX="${WINEPREFIX:-$CACHE/wine}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export KERMA_WINE_RUN="$ROOT/scripts/wine-run.sh"
export LC_ALL=C.UTF-8

# The Linux virtual panel (and the measuring program) from the Linux release build.
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKERMA_WERROR=ON >/dev/null
cmake --build build -j"$JOBS" --target kerma740-panel bench_serial_timeouts >/dev/null

WORK="$(mktemp -d)"
XVFB=""
PANEL=""
cleanup() {
    [ -n "$PANEL" ] && kill "$PANEL" 2>/dev/null
    timeout 30 wineserver -k 2>/dev/null || true
    [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
XVFB=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$WORK/display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Создаю префикс Wine $WINEPREFIX."
    timeout 600 wineboot -i >/dev/null 2>&1
    # The server writes the new registry to disk only as it exits.
    timeout 60 wineserver -w >/dev/null 2>&1 || true
fi
# COM1..COM10 and COM13 (an adapter's number beyond the list's ten) of the prefix open what
# $WINEPREFIX/ports/comN points at, and Wine lists them as the system's serial ports; the tests map a
# port by one symbolic link; without the registry entries Wine maps them to /dev/ttyS* anew at
# every start of its server. Windows' dialog font has no file under Wine, whose stand-in is
# whichever font comes first (here a mathematical one, too tall for a line edit's text): a plain
# sans font stands in instead, as Tahoma or Segoe UI do on Windows.
if ! grep -qs "ports/com13" "$WINEPREFIX/system.reg"; then
    mkdir -p "$WINEPREFIX/ports"
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
        for n in $(seq 10) 13; do printf '"COM%d"="%s/ports/com%d"\r\n' "$n" "$WINEPREFIX" "$n"; done
        printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
        for font in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Segoe UI"; do
            printf '"%s"="DejaVu Sans"\r\n' "$font"
        done
    } >"$WORK/prefix.reg"
    timeout 120 wine regedit /S "$WORK/prefix.reg" >/dev/null 2>&1
    timeout 30 wineserver -k || true
fi
# One Wine server for all the runs below: each program starts in a second, not in five.
wineserver -p 120 >/dev/null 2>&1

if [ "${2:-}" = "--timeouts" ]; then
    timeout 60 build/bin/kerma740-panel --silent --link "$WORK/com1" >/dev/null 2>&1 &
    PANEL=$!
    for _ in $(seq 50); do [ -e "$WORK/com1" ] && break; sleep 0.1; done
    mkdir -p "$WINEPREFIX/ports"
    ln -sfn "$WORK/com1" "$WINEPREFIX/ports/com1"
    echo "Linux:"
    KERMA740_COM1="$WORK/com1" build/bin/bench_serial_timeouts 1
    echo "Wine:"
    KERMA_WINE_TIMEOUT=60 "$KERMA_WINE_RUN" "$BUILD/bin/bench_serial_timeouts.exe" 1
    exit 0
fi

status=0
echo "Тесты Windows под Wine: модульные."
# A Wine process now and then hangs on its way out after its tests passed: a time-out gets
# one more run, a failure none.
if ctest --test-dir "$BUILD" -j"$JOBS" --timeout 300 --repeat after-timeout:2 --output-on-failure >"$WORK/ctest.log" 2>&1; then
    grep "tests passed" "$WORK/ctest.log"
else
    cat "$WORK/ctest.log"
    status=1
fi
echo "Тесты Windows под Wine: клиент и виртуальный прибор."
bash tests/windows/wine_cli_test.sh "$WIN_BIN" "$ROOT/build/bin/kerma740-panel" || status=1
echo "Тесты Windows под Wine: программа и виртуальный прибор."
bash tests/windows/wine_program_test.sh "$WIN_BIN" "$ROOT/build/bin/kerma740-panel" "${KERMA_WINE_SHOTS:-}" || status=1
echo "Тесты Windows под Wine: установка, ресурсы, окно при 150 %."
bash tests/windows/wine_setup_test.sh "$WIN_BIN" "$ROOT/dist/kerma740-setup.exe" "$ROOT/build/bin/kerma740-panel" || status=1
[ "$status" -eq 0 ] && echo "Тесты Windows пройдены."
exit "$status"
