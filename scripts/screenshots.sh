#!/bin/bash
# Takes a picture of every window setup.exe shows (the install folder dialog, the folder browser,
# the error box, the progress window, its Cancel question and the three closing message boxes) under Wine in a
# virtual X display, on the sample machine, and writes them as PNG files into docs/.
#
#   scripts/screenshots.sh            builds in build/win32, or build/win64 where this host runs
#                                     no 32-bit programs (QUILLON_BUILD=folder for another)
#   scripts/screenshots.sh --scale PERCENT   the same at another display scaling (150: 144 DPI,
#                                     200: 192 DPI): the pictures are written as docs/NAME-PERCENT.png
#
# The pictures come from a throwaway Wine prefix in build/screenshots/prefix.
set -eu -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

install_packages || exit 1
wine_user_setup
build=${QUILLON_BUILD:-build/$QUILLON_PRESET}
work=build/screenshots
scale=100
if [ "${1:-}" = --scale ]; then
    scale=${2:?"--scale needs a percentage, such as 150"}
fi
suffix=
[ "$scale" = 100 ] || suffix=-$scale

log=build/logs/screenshots-build.log
run_logged "$log" cmake --preset "$QUILLON_PRESET" -B "$build"
run_logged "$log" cmake --build "$build" -j2 --target setup sample_package sample-machine e2e_driver
mkdir -p "$work"
run_logged "$log" "$QUILLON_MINGW-g++-win32" -std=c++17 -Wall -Wextra -O2 -s -static \
    -o "$work/zorder.exe" tools/screenshot/zorder.cpp
prepare_prefix "$PWD/$work/prefix"
rm -rf "$work/out"
mkdir "$work/out"
give_to_wine_user "$work" "$build"
in_display "$PWD/$work/prefix" bash tools/screenshot/shoot.sh "$build" "$work/out" "$work/zorder.exe" \
    $((96 * scale / 100))

mkdir -p docs
for picture in install-folder-dialog folder-browser error-cannot-create-folder progress \
               cancel-question installed aborted uninstalled; do
    cp "$work/out/$picture.png" "docs/$picture$suffix.png"
done
echo "Pictures in docs/: $(cd docs && ls ./*.png | tr '\n' ' ')"
