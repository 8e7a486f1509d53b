#!/bin/sh
# Stages the file system for the Windows and end-to-end tests.
#   stage.sh links: in the Wine prefix's drive C, Unix symbolic links to a folder outside the
#     tree (from the tree, and from C:\QuillonLinked, where the road test installs) and to the
#     Windows folder, which Wine reports as reparse points; and a share \\localhost\quillon
#     (Wine looks \\server\share up as dosdevices/unc/server/share); and C:\quillon-unlistable,
#     a folder with a file in it that may be read but not searched, which Wine identifies but
#     cannot list (for an ordinary user; root reads it all the same).
#   stage.sh full|other-device DIR PROGRAM...: a fresh DIR holding the settings folder and in it,
#     under the settings rewrite's temporary name, a link to /dev/full (every write fails with
#     ERROR_DISK_FULL) or to a new file on another file system (a rename from there into DIR
#     fails); then PROGRAM's StagedSettings test, with QUILLON_STAGE naming DIR.
set -e
if [ "$1" = links ]; then
    c="${WINEPREFIX:?}/drive_c" unc="$WINEPREFIX/dosdevices/unc/localhost"
    root="$c/quillon-link-test"
    [ -d "$c/quillon-unlistable" ] && chmod 755 "$c/quillon-unlistable"
    rm -rf "$root" "$unc" "$c/QuillonLinked" "$c/quillon-unlistable"
    mkdir -p "$root/target/sub" "$root/tree/real" "$root/share/ordinary" "$unc" "$c/QuillonLinked"
    printf 'target file' > "$root/target/keep.txt"
    printf 'deep' > "$root/target/sub/deep.txt"
    printf 'a' > "$root/tree/a.txt"
    ln -s "$root/target" "$root/tree/link"
    ln -s "$root/target" "$c/QuillonLinked/link"
    ln -s "$WINEPREFIX/drive_c/windows" "$root/windows-link"
    ln -s "$root/share" "$unc/quillon"
    mkdir "$c/quillon-unlistable"
    printf 'mine' > "$c/quillon-unlistable/mine.txt"
    chmod 644 "$c/quillon-unlistable"
    exit 0
fi
export QUILLON_STAGE_KIND=$1 QUILLON_STAGE="Z:$2" target=/dev/full
rm -rf "$2" && mkdir -p "$2/Microsoft/VisualStudio/7.0"
if [ "$1" = other-device ]; then
    target=$(mktemp /dev/shm/quillon-stage.XXXXXX)
    trap 'rm -f "$target"' EXIT
    [ "$(stat -c %d "$target")" != "$(stat -c %d "$2")" ] || { echo "$2 shares /dev/shm's device" >&2; exit 1; }
fi
ln -s "$target" "$2/Microsoft/VisualStudio/7.0/VCComponents.dat.quillon-new"
shift 2
"$@" --gtest_filter=StagedSettings.*
