#!/bin/sh
# Runs a Windows program under Wine in the project's own prefix, bounded in time.
# The cross build names it as its emulator, so ctest runs the Windows tests through it.
# KERMA_WINE_TIMEOUT: seconds (default 300).
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/kerma740"
export WINEPREFIX="${WINEPREFIX:-$CACHE/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec timeout -k 10 "${KERMA_WINE_TIMEOUT:-300}" wine "$@"
