#!/bin/sh
# The Windows build: kerma740-config.exe and kerma740-cli.exe cross-built with MinGW-w64 against a
# static Qt made from Debian's own qt6-base source (built once, then cached), tested under Wine
# against the virtual panel, packed into dist/kerma740-windows-x64.zip and the setup program
# dist/kerma740-setup.exe.
# Usage: scripts/windows.sh [--no-tests]
# Environment: KERMA_QT_MINGW (the Qt prefix), WINEPREFIX (default ~/.cache/kerma740/wine).
set -e
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/kerma740"
QT="${KERMA_QT_MINGW:-$CACHE/qt6-mingw-6.4.2}"
export KERMA_QT_MINGW="$QT"
JOBS="$(nproc)"
BUILD=build-win
ZIP="$ROOT/dist/kerma740-windows-x64.zip"
SETUP="$ROOT/dist/kerma740-setup.exe"

KERMA_EXTRA_PACKAGES="g++-mingw-w64-x86-64-posix ninja-build dpkg-dev wine wine64 xvfb xdotool \
imagemagick nsis" ./scripts/deps.sh
./scripts/qt-mingw.sh

echo "Собираю программы для Windows."
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKERMA_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$QT" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$ROOT/scripts/wine-run.sh" >/dev/null
cmake --build "$BUILD" -j"$JOBS"

echo "Упаковываю $ZIP."
STAGE="$ROOT/dist/kerma740-windows-x64"
rm -rf "$STAGE" "$ZIP" "$SETUP"
mkdir -p "$STAGE/Справка"
cp "$BUILD/bin/kerma740-config.exe" "$BUILD/bin/kerma740-cli.exe" "$STAGE/"
x86_64-w64-mingw32-strip "$STAGE"/*.exe
cp src/qt/help/*.html "$STAGE/Справка/"
# Notepad of every Windows version reads UTF-8 only with the byte order mark, and wants CR LF.
{ printf '\357\273\277'; sed 's/$/\r/' scripts/windows/readme_ru.txt; } >"$STAGE/ПРОЧТИТЕ.txt"
# CMake's zip marks the names as UTF-8, so Explorer shows "Справка", not a guess in the OEM code
# page (Info-ZIP's zip leaves that mark out).
(cd "$ROOT/dist" && LC_ALL=C.UTF-8 cmake -E tar cf "$ZIP" --format=zip kerma740-windows-x64)
echo "Архив: $ZIP ($(du -k "$ZIP" | cut -f1) КБ)."
VERSION="$(sed -n 's/^project(kerma740 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
LC_ALL=C.UTF-8 makensis -V2 -INPUTCHARSET UTF8 -DSTAGE="$STAGE" -DOUTFILE="$SETUP" \
    -DICON="$ROOT/src/app/windows/kerma740.ico" -DVERSION="$VERSION" scripts/windows/kerma740.nsi
rm -rf "$STAGE"
echo "Установка: $SETUP ($(du -k "$SETUP" | cut -f1) КБ)."

[ "${1:-}" = "--no-tests" ] && exit 0
exec ./scripts/wine-tests.sh "$BUILD"
