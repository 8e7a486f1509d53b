#!/bin/sh
# Fixture for the link tests: a folder tree in the Wine prefix's drive C with Unix symbolic links
# to a folder outside it and to the Windows folder, which Wine reports as reparse points.
set -e
root="${WINEPREFIX:?}/drive_c/quillon-link-test"
rm -rf "$root"
mkdir -p "$root/target/sub" "$root/tree/real"
printf 'target file' > "$root/target/keep.txt"
printf 'deep' > "$root/target/sub/deep.txt"
printf 'a' > "$root/tree/a.txt"
printf 'r' > "$root/tree/real/r.txt"
ln -s "$root/target" "$root/tree/link"
ln -s "${WINEPREFIX:?}/drive_c/windows" "$root/windows-link"
