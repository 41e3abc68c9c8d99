#!/bin/sh
# Builds a static Qt 6 (Core, Gui, Widgets, the Windows platform plugin) for 64-bit Windows from
# Debian's own source of qt6-base, the same version as the host tools, and caches it outside the
# source tree. A later run finds the cache and returns at once.
# Usage: scripts/qt-mingw.sh   (prints nothing but progress; the prefix is $KERMA_QT_MINGW)
set -e
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/kerma740"
PREFIX="${KERMA_QT_MINGW:-$CACHE/qt6-mingw-6.4.2}"
[ -f "$PREFIX/.complete" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if ! grep -q 'deb-src' /etc/apt/sources.list.d/debian.sources 2>/dev/null; then
    echo "Включаю исходные пакеты Debian (deb-src)."
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    $SUDO apt-get update -qq
fi

WORK="$CACHE/qt6-mingw-work"
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"
echo "Загружаю исходный пакет qt6-base."
apt-get source -qq --download-only qt6-base=6.4.2* >/dev/null 2>&1 || apt-get source -qq --download-only qt6-base >/dev/null
dpkg-source -x --no-check qt6-base_*.dsc src >/dev/null

mkdir build
cd build
echo "Настраиваю Qt для Windows."
../src/configure -prefix "$PREFIX" -xplatform win32-g++ -static -release \
    -opensource -confirm-license -no-opengl -no-dbus -no-icu -no-glib -no-fontconfig \
    -nomake examples -nomake tests \
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz \
    -no-feature-network -no-feature-sql -no-feature-testlib -no-feature-xml \
    -no-feature-concurrent -no-feature-printsupport -no-feature-vulkan -no-feature-tabletevent \
    -qt-host-path /usr \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
       -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1 \
    || { tail -40 configure.log; exit 1; }
echo "Собираю Qt для Windows (около 25 минут на двух ядрах)."
cmake --build . --parallel "$(nproc)" >build.log 2>&1 || { tail -40 build.log; exit 1; }
cmake --install . >install.log 2>&1 || { tail -20 install.log; exit 1; }
touch "$PREFIX/.complete"
cd /
rm -rf "$WORK"
echo "Qt для Windows готов: $PREFIX"
