#!/bin/bash
# wine_rounds.sh BUILD TREE:ROUNDS...: the Wine half of bench/run.sh, run inside its X display and
# Wine prefix, where C:\bench\TREE\package holds each tree's benchmark package. Times setup.exe's
# copy and removal, a whole install and uninstall, and the system's xcopy and rmdir on each tree,
# round after round in turns (the trees too take turns, so that both meet the same state of the
# shared disk), and prints one line per measurement: "name tree round milliseconds [extra]".
set -eu -o pipefail
build=$(realpath "$1")
shift
driver=$build/tests/e2e/e2e_driver.exe
tree_bench=$build/bench/tree_bench.exe
machine=$build/samples/machine/sample-machine.exe
drive_c=$WINEPREFIX/drive_c

now() {
    date +%s%N
}

# timed NAME TREE ROUND CMD...: the command's whole run, from its start to its end.
timed() {
    local name=$1 tree=$2 round=$3; shift 3
    local start output
    # Each measurement starts with nothing left to write back from the one before.
    sync
    start=$(now)
    output=$("$@" 2>&1 | tr -d '\r' | tail -n 1)
    echo "$name $tree $round $((($(now) - start) / 1000000)) $output"
}

files_in() {
    find "$drive_c/bench/$1" -type f | wc -l
}

# setup.exe through the driver; prints the whole run and the span from pressing OK (or from the
# start, for the uninstall) to the closing message box.
drive() {
    local name=$1 tree=$2 round=$3; shift 3
    local start log
    log=$(mktemp)
    sync
    start=$(now)
    # Each line is stamped as it comes: the driver writes unbuffered, and nothing buffers between.
    "$WINELOADER" "$driver" --timeout 600000 "$@" 2>&1 |
        while IFS= read -r line; do echo "$(now) ${line%$'\r'}"; done > "$log"
    local end from to
    end=$(now)
    from=$(awk '/ pressed 1$/ {print $1; exit}' "$log")
    to=$(awk '/ message / {print $1; exit}' "$log")
    [ -n "$to" ] || { echo "drive failed:" >&2; cat "$log" >&2; rm -f "$log"; return 1; }
    echo "$name $tree $round $(((end - start) / 1000000)) work $(((to - ${from:-$start}) / 1000000))"
    rm -f "$log"
}

# one_round TREE ROUND: every measurement of one round on one tree, in C:\bench\TREE.
one_round() {
    local tree=$1 round=$2
    local here="C:\\bench\\$tree" package="C:\\bench\\$tree\\package"
    timed xcopy "$tree" "$round" "$WINELOADER" xcopy /E /I /Y /Q "$package\\Quillon" "$here\\x$round"
    echo "xcopy-files $tree $round $(files_in "$tree/x$round")"
    timed copy "$tree" "$round" "$WINELOADER" "$tree_bench" copy "$package\\Quillon" "$here\\o$round"
    echo "copy-files $tree $round $(files_in "$tree/o$round")"
    timed guard "$tree" "$round" "$WINELOADER" "$tree_bench" guard "$here\\o$round"
    timed rmdir "$tree" "$round" "$WINELOADER" cmd /c rmdir /S /Q "$here\\x$round"
    timed remove "$tree" "$round" "$WINELOADER" "$tree_bench" remove "$here\\o$round"
    echo "left $tree $round $(find "$drive_c/bench/$tree" -maxdepth 1 -name "[xo]$round" | wc -l)"
    drive install "$tree" "$round" --exe "$package\\setup.exe" --cwd 'C:\' \
        --window "Choose Folder" --type "$here\\i$round" --ok --message
    echo "install-files $tree $round $(files_in "$tree/i$round")"
    drive uninstall "$tree" "$round" --exe "$here\\i$round\\setup.exe" --args /uninstall \
        --cwd "$here\\i$round" --message
    if [ -d "$drive_c/bench/$tree/base-package" ]; then
        drive install-base "$tree" "$round" --exe "$here\\base-package\\setup.exe" --cwd 'C:\' \
            --window "Choose Folder" --type "$here\\b$round" --ok --message
        drive uninstall-base "$tree" "$round" --exe "$here\\b$round\\setup.exe" --args /uninstall \
            --cwd "$here\\b$round" --message
    fi
    # The running setup.exe and its folder wait for the next restart.
    echo "uninstall-left $tree $round $(files_in "$tree/i$round")"
}

trees=() tree_rounds=() most=0
for pair in "$@"; do
    trees+=("${pair%%:*}")
    tree_rounds+=("${pair#*:}")
    [ "${pair#*:}" -le "$most" ] || most=${pair#*:}
done

"$WINELOADER" "$machine" both > /dev/null
# One untimed pass over each tree, so that every round finds the same warm caches.
for tree in "${trees[@]}"; do
    "$WINELOADER" xcopy /E /I /Y /Q "C:\\bench\\$tree\\package\\Quillon" "C:\\bench\\$tree\\warm" > /dev/null 2>&1
    "$WINELOADER" cmd /c rmdir /S /Q "C:\\bench\\$tree\\warm" > /dev/null 2>&1
done
timed start - 0 "$WINELOADER" "$tree_bench" start

for ((round = 1; round <= most; round++)); do
    for i in "${!trees[@]}"; do
        [ "$round" -gt "${tree_rounds[i]}" ] || one_round "${trees[i]}" "$round"
    done
done
