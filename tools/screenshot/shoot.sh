#!/bin/bash
# shoot.sh BUILD OUT ZORDER_EXE [LOGPIXELS]: runs setup.exe of BUILD's sample package on the sample machine and
# writes a PNG of each window the user meets into OUT. Run it inside the X display and the Wine
# prefix (scripts/screenshots.sh does), with xwd (x11-apps) and netpbm installed.
#
# The e2e driver answers the windows; it sleeps at each one long enough for a picture, and the
# pictures are taken when the expected window is on top. Without a window manager, a plain
# screenshot of the root window shows a message box over its owner as a black rectangle, so each
# window's own image is pasted in Win32 z-order onto a desktop-coloured canvas.
set -u -o pipefail
build=$(realpath "$1")
out=$(realpath "$2")
zorder=$3
logpixels=${4:-96}
readonly PAUSE_MS=5000
readonly MARGIN=12

windows_path() {
    echo "Z:$(realpath "$1" | tr / '\\')"
}

setup_exe=$(windows_path "$build/sample-package/setup.exe")
driver=$build/tests/e2e/e2e_driver.exe
machine=$build/samples/machine/sample-machine.exe

# Lines "xid<TAB>left top width height<TAB>caption<TAB>message text", bottom to top.
windows() {
    "$WINELOADER" "$zorder" 2>/dev/null | tr -d '\r'
}

# wait_for CAPTION [TEXT]: until the top window has CAPTION and, when TEXT is given, exactly that
# message box text ("" for a window that is no message box).
wait_for() {
    local caption=$1 text=${2-} any_text=${2+no} i xid rect cap txt
    for ((i = 0; i < 300; i++)); do
        IFS=$'\t' read -r xid rect cap txt <<< "$(windows | tail -n 1)"
        if [ "$cap" = "$caption" ] && { [ -z "$any_text" ] || [ "$txt" = "$text" ]; }; then
            # Let the window paint itself.
            sleep 1
            return 0
        fi
        sleep 0.1
    done
    echo "shoot: no window \"$caption\" ${any_text:+with text \"$text\"} on top" >&2
    return 1
}

# shot NAME: every visible window, cropped to their union with a margin, into OUT/NAME.png.
shot() {
    local name=$1 tmp
    tmp=$(mktemp -d)
    local ids=() xs=() ys=() left=100000 top=100000 right=0 bottom=0
    local xid rect cap txt x y w h
    while IFS=$'\t' read -r xid rect cap txt; do
        read -r x y w h <<< "$rect"
        ids+=("$xid"); xs+=("$x"); ys+=("$y")
        ((x < left)) && left=$x
        ((y < top)) && top=$y
        ((x + w > right)) && right=$((x + w))
        ((y + h > bottom)) && bottom=$((y + h))
    done < <(windows)
    if [ ${#ids[@]} -eq 0 ]; then
        echo "shoot: nothing on screen for $name" >&2
        rm -rf "$tmp"
        return 1
    fi
    ppmmake '#3a6ea5' $((right - left + 2 * MARGIN)) $((bottom - top + 2 * MARGIN)) > "$tmp/canvas.ppm"
    local i
    for i in "${!ids[@]}"; do
        xwd -id "${ids[i]}" -silent | xwdtopnm 2>/dev/null > "$tmp/window.pnm" &&
            pnmpaste "$tmp/window.pnm" $((xs[i] - left + MARGIN)) $((ys[i] - top + MARGIN)) \
                "$tmp/canvas.ppm" > "$tmp/next.ppm" && mv "$tmp/next.ppm" "$tmp/canvas.ppm"
    done
    pnmtopng -compression 9 "$tmp/canvas.ppm" > "$out/$name.png"
    rm -rf "$tmp"
    echo "shoot: $out/$name.png"
}

# drive ARGS...: the e2e driver on the sample package's setup.exe, in the background.
drive() {
    "$WINELOADER" "$driver" --timeout 60000 "$@" > "$out/driver.log" 2>&1 &
    driver_pid=$!
}

finish_driver() {
    if ! wait "$driver_pid"; then
        echo "shoot: the driver failed:" >&2
        cat "$out/driver.log" >&2
        return 1
    fi
}

set -e
"$WINELOADER" "$machine" both > /dev/null
# The display scaling: 96 is 100%, 144 150%. Each program reads it as it starts.
"$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$logpixels" /f > /dev/null

# Install: the folder dialog, the folder browser, a folder that cannot be created, then the
# proposed folder.
drive --exe "$setup_exe" --cwd 'C:\' \
    --window "Choose Folder" --sleep $PAUSE_MS \
    --browse --sleep $PAUSE_MS --browse-cancel \
    --type 'C:\no\such\Quillon' --ok --sleep $PAUSE_MS --message \
    --window "Choose Folder" --ok --sleep $PAUSE_MS --message
wait_for "Choose Folder" && shot install-folder-dialog
wait_for "Browse for Folder" && shot folder-browser
wait_for Setup "Error: cannot create install folder" && shot error-cannot-create-folder
wait_for Setup "Quillon installed successfully" && shot installed
finish_driver

# Cancel in the folder dialog.
drive --exe "$setup_exe" --cwd 'C:\' --window "Choose Folder" --cancel --sleep $PAUSE_MS --message
wait_for Setup "Installation aborted" && shot aborted
finish_driver

# The recorded uninstall command.
drive --exe 'C:\Program Files\Quillon\setup.exe' --args /uninstall --cwd 'C:\Program Files\Quillon' \
    --sleep $PAUSE_MS --message
wait_for Setup "Quillon uninstalled" && shot uninstalled
finish_driver
# The uninstall left its running program and the folder for the restart; only after it may the
# same folder take a new install.
"$WINELOADER" wineboot -r

# The progress window is alone on screen only while the files are copied, which for the sample
# package is too short for a picture: this install copies a package with 8,000 more files, long
# enough for a picture of the window and then one of its Cancel question.
bulky=$out/bulky-package
rm -rf "$bulky"
cp -R "$build/sample-package" "$bulky"
mkdir "$bulky/Quillon/bulk"
head -c 32M /dev/zero | split -b 4096 -a 4 - "$bulky/Quillon/bulk/file"
drive --exe "$(windows_path "$bulky/setup.exe")" --cwd 'C:\' --window "Choose Folder" --ok \
    --sleep 2500 --cancel-run --sleep 10000 --answer no --message
wait_for Setup "" && shot progress
# Cancel asks first; the copy waits for the answer. Wine takes a moment to paint the question.
wait_for Setup "Cancel the installation of Quillon?" && sleep 3 && shot cancel-question
finish_driver
rm -rf "$bulky"
rm -f "$out/driver.log"
