#!/bin/bash
# wine_rounds.sh BUILD ROUNDS: the Wine half of bench/run.sh, run inside its X display and Wine
# prefix, where C:\bench\package holds the benchmark package. Times setup.exe's copy and removal,
# a whole install and uninstall, and the system's xcopy and rmdir on the same tree, round after
# round in turns, and prints one line per measurement: "name round milliseconds [extra]".
set -eu -o pipefail
build=$(realpath "$1")
rounds=$2
driver=$build/tests/e2e/e2e_driver.exe
tree_bench=$build/bench/tree_bench.exe
machine=$build/samples/machine/sample-machine.exe
package='C:\bench\package'
drive_c=$WINEPREFIX/drive_c

now() {
    date +%s%N
}

# timed NAME ROUND CMD...: the command's whole run, from its start to its end.
timed() {
    local name=$1 round=$2; shift 2
    local start output
    # Each measurement starts with nothing left to write back from the one before.
    sync
    start=$(now)
    output=$("$@" 2>&1 | tr -d '\r' | tail -n 1)
    echo "$name $round $((($(now) - start) / 1000000)) $output"
}

files_in() {
    find "$drive_c/bench/$1" -type f | wc -l
}

# setup.exe through the driver; prints the whole run and the span from pressing OK (or from the
# start, for the uninstall) to the closing message box.
drive() {
    local name=$1 round=$2; shift 2
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
    echo "$name $round $(((end - start) / 1000000)) work $(((to - ${from:-$start}) / 1000000))"
    rm -f "$log"
}

"$WINELOADER" "$machine" both > /dev/null
# One untimed pass, so that every round finds the same warm caches.
"$WINELOADER" xcopy /E /I /Y /Q "$package\\Quillon" 'C:\bench\warm' > /dev/null 2>&1
"$WINELOADER" cmd /c rmdir /S /Q 'C:\bench\warm' > /dev/null 2>&1
timed start 0 "$WINELOADER" "$tree_bench" start

for ((round = 1; round <= rounds; round++)); do
    timed xcopy "$round" "$WINELOADER" xcopy /E /I /Y /Q "$package\\Quillon" "C:\\bench\\x$round"
    echo "xcopy-files $round $(files_in "x$round")"
    timed copy "$round" "$WINELOADER" "$tree_bench" copy "$package\\Quillon" "C:\\bench\\o$round"
    echo "copy-files $round $(files_in "o$round")"
    timed guard "$round" "$WINELOADER" "$tree_bench" guard "C:\\bench\\o$round"
    timed rmdir "$round" "$WINELOADER" cmd /c rmdir /S /Q "C:\\bench\\x$round"
    timed remove "$round" "$WINELOADER" "$tree_bench" remove "C:\\bench\\o$round"
    echo "left $round $(find "$drive_c/bench" -maxdepth 1 -name "[xo]$round" | wc -l)"
    drive install "$round" --exe "$package\\setup.exe" --cwd 'C:\' \
        --window "Choose Folder" --type "C:\\bench\\i$round" --ok --message
    echo "install-files $round $(files_in "i$round")"
    drive uninstall "$round" --exe "C:\\bench\\i$round\\setup.exe" --args /uninstall \
        --cwd "C:\\bench\\i$round" --message
    if [ -d "$drive_c/bench/base-package" ]; then
        drive install-base "$round" --exe 'C:\bench\base-package\setup.exe' --cwd 'C:\' \
            --window "Choose Folder" --type "C:\\bench\\b$round" --ok --message
        drive uninstall-base "$round" --exe "C:\\bench\\b$round\\setup.exe" --args /uninstall \
            --cwd "C:\\bench\\b$round" --message
    fi
    # The running setup.exe and its folder wait for the next restart.
    echo "uninstall-left $round $(files_in "i$round")"
done
