#!/bin/sh
# Runs the link and end-to-end tests of a build once as an ordinary user ("nobody"). CI runs as
# root, and root is never refused an open: a port still locked by its exclusive flag after a
# close, or a device the user may not open, shows only for an ordinary user.
#   scripts/nonroot_tests.sh BUILD_DIR
set -e
BUILD="$1"
if [ "$(id -u)" -ne 0 ]; then
    echo "Тесты уже идут от имени обычного пользователя."
    exit 0
fi
# The build tree may sit where nobody can go (/root): the tests and programs run from copies.
DIR=$(mktemp -d /tmp/kerma740-user-XXXXXX)
trap 'rm -rf "$DIR"' EXIT INT TERM
# A test command may start with env(1) and the variables it sets: the program is what follows.
tests=$(ctest --test-dir "$BUILD" -N -V -L 'e2e|link' | sed -n 's/^.*Test command: //p' | tr -d '"' |
    awk '{ for (i = 1; i <= NF; i++) if ($i !~ /(^|\/)env$/ && $i !~ /^[A-Za-z_0-9]+=/) { print $i; break } }' |
    sort -u)
cp $tests "$BUILD/bin/kerma740-panel" "$BUILD/bin/kerma740-cli" "$DIR/"
mkdir "$DIR/home"
chmod -R a+rX "$DIR"
chown nobody:nogroup "$DIR/home"
chmod 700 "$DIR/home"  # Qt wants its runtime folder private
failed=""
for test in $tests; do
    name=$(basename "$test")
    echo "$name (nobody)"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME="$DIR/home" XDG_RUNTIME_DIR="$DIR/home" QT_QPA_PLATFORM=offscreen \
        timeout 900 "$DIR/$name" --gtest_brief=1 || failed="$failed $name"
done
if [ -n "$failed" ]; then
    echo "Не прошли от имени обычного пользователя:$failed"
    exit 1
fi
