#!/bin/sh
# Stages the file system for the Windows tests.
#   stage.sh links: in the Wine prefix's drive C, Unix symbolic links to a folder outside the
#     tree and to the Windows folder, which Wine reports as reparse points; and a share
#     \\localhost\quillon (Wine looks \\server\share up as dosdevices/unc/server/share).
set -e
if [ "$1" = links ]; then
    root="${WINEPREFIX:?}/drive_c/quillon-link-test" unc="$WINEPREFIX/dosdevices/unc/localhost"
    rm -rf "$root" "$unc"
    mkdir -p "$root/target/sub" "$root/tree/real" "$root/share/ordinary" "$unc"
    printf 'target file' > "$root/target/keep.txt"
    printf 'deep' > "$root/target/sub/deep.txt"
    printf 'a' > "$root/tree/a.txt"
    ln -s "$root/target" "$root/tree/link"
    ln -s "$WINEPREFIX/drive_c/windows" "$root/windows-link"
    ln -s "$root/share" "$unc/quillon"
fi
