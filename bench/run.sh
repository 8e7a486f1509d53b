#!/bin/bash
# bench/run.sh: every benchmark in one run, figures and ratios side by side; nothing is asserted.
#
#   setup.exe's folder copy and removal, a whole install and uninstall of a package of 2,000
#   files (20 KB each, 41 MB in 100 folders) and of one of 20,000 files (2 KB each, the same 41 MB
#   in the same 100 folders), beside Wine's xcopy /E /I /Y /Q and rmdir /S /Q of the same tree in
#   the same prefix, and how each figure grows from the one to the other; the directory list
#   removal on a 10 MB hostile text and the help record parse and serialise of 10,000 records,
#   beside one plain pass over the bytes; the size of setup.exe and the DLLs it imports.
#
# Builds in build/<mode's preset> and build/bench (QUILLON_BUILD and QUILLON_BENCH_BUILD name
# others), and works in a throwaway Wine prefix under build/bench-wine. BENCH_ROUNDS (5) sets the
# rounds, BENCH_LARGE_ROUNDS (2, or fewer when BENCH_ROUNDS is) those of the 20,000-file tree; the
# tables give the best round. QUILLON_BASELINE_EXE names another setup.exe (an earlier build, say)
# whose install runs in the same rounds, in turn with this one, for a side-by-side figure.
set -eu -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

install_packages || exit 1
wine_user_setup
win=${QUILLON_BUILD:-build/$QUILLON_PRESET}
host=${QUILLON_BENCH_BUILD:-build/bench}
work=build/bench-wine
rounds=${BENCH_ROUNDS:-5}
# The big tree's rounds take minutes each: fewer of them, unless asked for.
large_rounds=${BENCH_LARGE_ROUNDS:-$((rounds < 2 ? rounds : 2))}

log=build/logs/bench-build.log
run_logged "$log" cmake --preset "$QUILLON_PRESET" -B "$win"
run_logged "$log" cmake --build "$win" -j2 --target setup sample_package sample-machine e2e_driver tree_bench
# The shipped setup.exe is the 32-bit one, measured here whichever program runs the rounds.
run_logged "$log" cmake --preset win32
run_logged "$log" cmake --build --preset win32 --target setup
cmake --preset bench -B "$host" > /dev/null
cmake --build "$host" -j2 --target vc_dir_list_bench help_records_bench > /dev/null

echo "== setup.exe (32-bit)"
setup_exe=build/win32/shell/setup.exe
echo "size: $(stat -c %s "$setup_exe") bytes ($(( ($(stat -c %s "$setup_exe") + 1023) / 1024 )) KB)"
echo "imports: $(i686-w64-mingw32-objdump -p "$setup_exe" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
i686-w64-mingw32-objdump -h "$setup_exe" | while read -r _ name size _; do
    if [[ $name == .* ]]; then printf '  %-10s %7d bytes\n' "$name" "0x$size"; fi
done

echo
echo "== Directory lists (host, $(uname -m))"
"$host/bench/vc_dir_list_bench"
echo
echo "== Help record files (host)"
"$host/bench/help_records_bench"

echo
echo "== Install and uninstall under Wine"
prepare_prefix "$PWD/$work/prefix"
bench_c=$work/prefix/drive_c/bench
# Two trees with the same fan-out, 100 folders (10, each with 9 subfolders), and about the same
# bytes: 20 files of 20 KB in each, or 200 files of 2 KB. What grows between them is the number of
# files, and with it each tool's cost per file.
small=2000 large=20000
declare -A per_folder=([$small]=20 [$large]=200) file_bytes=([$small]=20480 [$large]=2048)
rm -rf "${work:?}/source" "$bench_c"
for tree in $small $large; do
    for top in 0 1 2 3 4 5 6 7 8 9; do
        for sub in "" 1 2 3 4 5 6 7 8 9; do
            folder=$work/source/$tree/part$top${sub:+/section$sub}
            mkdir -p "$folder"
            head -c $((per_folder[$tree] * file_bytes[$tree])) /dev/urandom |
                split -b "${file_bytes[$tree]}" -a 2 --additional-suffix=.h - "$folder/file"
        done
    done
    cp -R samples/package/Quillon/Help "$work/source/$tree/Help"
    mkdir -p "$bench_c/$tree"
    tools/package/make_package.sh "$work/source/$tree" samples/package/AppWizard "$setup_exe" \
        "$bench_c/$tree/package" > /dev/null
    rm -f "$bench_c/$tree/package.zip"
done
if [ "$QUILLON_MODE" = win64 ]; then
    # The package tool takes the shipped 32-bit program only; the rounds run the 64-bit twin.
    echo "(the rounds run the 64-bit twin of setup.exe: $QUILLON_MODE_WHY)"
    for tree in $small $large; do
        cp "$win/shell/setup.exe" "$bench_c/$tree/package/setup.exe"
        cp "$win/shell/setup.exe" "$bench_c/$tree/package/Quillon/setup.exe"
    done
fi
baseline=${QUILLON_BASELINE_EXE:-}
if [ -n "$baseline" ]; then
    for tree in $small $large; do
        cp -R "$bench_c/$tree/package" "$bench_c/$tree/base-package"
        cp "$baseline" "$bench_c/$tree/base-package/setup.exe"
        cp "$baseline" "$bench_c/$tree/base-package/Quillon/setup.exe"
    done
fi
# The number of files in the tree's library folder, with thousands separated by commas.
files_of() {
    find "$bench_c/$1/package/Quillon" -type f | wc -l | sed ':a; s/\B[0-9]\{3\}\>/,&/; ta'
}
# What each tree is, as the copies see it: the package's library folder.
describe() {
    local tree=$1 library=$bench_c/$1/package/Quillon
    local bytes
    bytes=$(find "$library" -type f -printf '%s\n' | awk '{sum += $1} END {print sum}')
    printf '%s files, %.1f MB: %d folders of %d files of %d KB, the sample help, setup.exe\n' \
        "$(files_of "$tree")" "$(awk -v b="$bytes" 'BEGIN {print b / 1e6}')" 100 "${per_folder[$tree]}" \
        $((file_bytes[$tree] / 1024))
}
echo "tree $small (C:\\bench\\$small): $(describe $small)"
echo "tree $large (C:\\bench\\$large): $(describe $large)"
give_to_wine_user "$work" "$win"
in_display "$PWD/$work/prefix" bash bench/wine_rounds.sh "$win" "$small:$rounds" "$large:$large_rounds" |
    tee "$work/rounds.txt" | sed 's/^/  /'

# best NAME TREE [FIELD]: the best round's figure, the whole run (4) or the second figure of the
# line (6: the time inside the process, or the span to the closing message).
best() {
    awk -v name="$1" -v tree="$2" -v field="${3:-4}" \
        '$1 == name && $2 == tree && (best == "" || $field < best) {best = $field} END {print best}' \
        "$work/rounds.txt"
}
# row WHAT NAME [FIELD]: a figure at both sizes and how it grew.
row() {
    awk -v what="$1" -v a="$(best "$2" $small "${3:-}")" -v b="$(best "$2" $large "${3:-}")" \
        'BEGIN {printf "  %-40s %9d ms %10d ms      %5.1f\n", what, a, b, b / a}'
}
# ratio OURS THEIRS [FIELD]: ours against the yardstick's whole run, at both sizes.
ratio() {
    awk -v a="$(best "$1" $small "${3:-}")" -v b="$(best "$1" $large "${3:-}")" \
        -v c="$(best "$2" $small)" -v d="$(best "$2" $large)" \
        'BEGIN {printf "  %-40s %12.2f %13.2f\n", "    ratio, ours / the yardstick", a / c, b / d}'
}
small_files=$(files_of $small) large_files=$(files_of $large)
echo
echo "Best of $rounds rounds on the $small_files-file tree and of $large_rounds on the $large_files-file tree"
[ "$large_rounds" -ge "$rounds" ] ||
    echo "(fewer on the big tree, BENCH_LARGE_ROUNDS: each of its rounds takes ten times as long)"
echo "(whole processes, each started under Wine; starting an empty program: $(best start -) ms)"
printf '  %-40s %12s %13s   %s\n' "" "$small_files files" "$large_files files" "growth ($large_files / $small_files)"
row "CopyFolderTree (tree_bench copy)" copy
row "xcopy /E /I /Y /Q" xcopy
ratio copy xcopy
row "RemoveFolderTree (tree_bench remove)" remove
row "cmd /c rmdir /S /Q" rmdir
ratio remove rmdir
row "install, OK to closing message" install 6
row "install, whole setup.exe run" install
row "xcopy /E /I /Y /Q" xcopy
ratio install xcopy 6
if [ -n "$baseline" ]; then
    row "the baseline's install, OK to closing message" install-base 6
fi
row "uninstall, whole setup.exe run" uninstall
row "cmd /c rmdir /S /Q" rmdir
ratio uninstall rmdir
echo "  inside the process:"
row "  copy" copy 6
row "  remove" remove 6
row "  of which the folder guard's look first" guard 6
