#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is missing.
set -e
PACKAGES="cmake g++ make qt6-base-dev libgl-dev libgtest-dev fonts-dejavu-core qt6-translations-l10n"
[ -n "$KERMA_EXTRA_PACKAGES" ] && PACKAGES="$PACKAGES $KERMA_EXTRA_PACKAGES"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Устанавливаю пакеты:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
