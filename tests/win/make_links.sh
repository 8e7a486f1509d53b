#!/bin/sh
# Fixture for the link test: a folder tree in the Wine prefix's drive C with a Unix symbolic
# link to a folder outside it, which Wine reports as a reparse point.
set -e
root="${WINEPREFIX:?}/drive_c/quillon-link-test"
rm -rf "$root"
mkdir -p "$root/target/sub" "$root/tree/real"
printf 'target file' > "$root/target/keep.txt"
printf 'deep' > "$root/target/sub/deep.txt"
printf 'a' > "$root/tree/a.txt"
printf 'r' > "$root/tree/real/r.txt"
ln -s "$root/target" "$root/tree/link"
