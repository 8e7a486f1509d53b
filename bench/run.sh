#!/bin/bash
# bench/run.sh: every benchmark in one run, figures and ratios side by side; nothing is asserted.
#
#   setup.exe's folder copy and removal, a whole install and uninstall of a package of 2,000
#   files (40 MB in 100 folders), beside Wine's xcopy /E /I /Y /Q and rmdir /S /Q of the same tree
#   in the same prefix; the directory list removal on a 10 MB hostile text and the help record
#   parse and serialise of 10,000 records, beside one plain pass over the bytes; the size of
#   setup.exe and the DLLs it imports.
#
# Builds in build/win32 and build/bench (QUILLON_BUILD and QUILLON_BENCH_BUILD name others), and
# works in a throwaway Wine prefix under build/bench-wine. BENCH_ROUNDS (5) sets the rounds; the
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
echo "== Install and uninstall under Wine, $rounds rounds"
prepare_prefix "$PWD/$work/prefix"
bench_c=$work/prefix/drive_c/bench
mkdir -p "$work/source/library" "$bench_c"
rm -rf "${work:?}/source/library"/*
# 100 folders (10, each with 9 subfolders) of 20 files of 20 KB: 2,000 files, 41 MB.
for top in 0 1 2 3 4 5 6 7 8 9; do
    for sub in "" 1 2 3 4 5 6 7 8 9; do
        folder=$work/source/library/part$top${sub:+/section$sub}
        mkdir -p "$folder"
        head -c $((20 * 20480)) /dev/urandom | split -b 20480 -a 2 --additional-suffix=.h - "$folder/file"
    done
done
cp -R samples/package/Quillon/Help "$work/source/library/Help"
tools/package/make_package.sh "$work/source/library" samples/package/AppWizard "$setup_exe" \
    "$bench_c/package" > /dev/null
rm -f "$bench_c/package.zip"
if [ "$QUILLON_MODE" = win64 ]; then
    # The package tool takes the shipped 32-bit program only; the rounds run the 64-bit twin.
    echo "(the rounds run the 64-bit twin of setup.exe: $QUILLON_MODE_WHY)"
    cp "$win/shell/setup.exe" "$bench_c/package/setup.exe"
    cp "$win/shell/setup.exe" "$bench_c/package/Quillon/setup.exe"
fi
baseline=${QUILLON_BASELINE_EXE:-}
rm -rf "$bench_c/base-package"
if [ -n "$baseline" ]; then
    cp -R "$bench_c/package" "$bench_c/base-package"
    cp "$baseline" "$bench_c/base-package/setup.exe"
    cp "$baseline" "$bench_c/base-package/Quillon/setup.exe"
fi
give_to_wine_user "$work" "$win"
in_display "$PWD/$work/prefix" bash bench/wine_rounds.sh "$win" "$rounds" | tee "$work/rounds.txt" |
    sed 's/^/  /'

best() {
    awk -v name="$1" '$1 == name && (best == "" || $3 < best) {best = $3} END {print best}' "$work/rounds.txt"
}
# The second figure of a line: the time inside the process, or the span to the closing message.
best_detail() {
    awk -v name="$1" '$1 == name && (best == "" || $5 < best) {best = $5} END {print best}' "$work/rounds.txt"
}
row() {
    awk -v what="$1" -v ours="$2" -v theirs="$3" -v tool="$4" \
        'BEGIN {printf "  %-38s %8d ms   %-22s %8d ms   ratio %5.2f\n", what, ours, tool, theirs, ours / theirs}'
}
echo
echo "Best of $rounds rounds (whole processes, each started under Wine; starting an empty program: $(best start) ms):"
row "CopyFolderTree (tree_bench copy)" "$(best copy)" "$(best xcopy)" "xcopy /E /I /Y /Q"
row "RemoveFolderTree (tree_bench remove)" "$(best remove)" "$(best rmdir)" "cmd /c rmdir /S /Q"
echo "  (inside the process: copy $(best_detail copy) ms, remove $(best_detail remove) ms, of which"
echo "   the folder guard's look at the whole tree before the removal $(best_detail guard) ms)"
row "install, OK to closing message" "$(best_detail install)" "$(best xcopy)" "xcopy /E /I /Y /Q"
row "install, whole setup.exe run" "$(best install)" "$(best xcopy)" "xcopy /E /I /Y /Q"
if [ -n "$baseline" ]; then
    row "install, OK to closing message" "$(best_detail install)" "$(best_detail install-base)" \
        "the baseline setup.exe"
fi
row "uninstall, whole setup.exe run" "$(best uninstall)" "$(best rmdir)" "cmd /c rmdir /S /Q"
