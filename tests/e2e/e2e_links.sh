#!/bin/sh
# Fixture: a folder that the install will use, holding a Unix symbolic link to a folder
# outside it with files of somebody else's.
set -e
c="${WINEPREFIX:?}/drive_c"
rm -rf "$c/QuillonLinked" "$c/quillon-link-target"
mkdir -p "$c/QuillonLinked" "$c/quillon-link-target/sub"
printf 'theirs' > "$c/quillon-link-target/theirs.txt"
printf 'deep' > "$c/quillon-link-target/sub/deep.txt"
ln -s "$c/quillon-link-target" "$c/QuillonLinked/link"
