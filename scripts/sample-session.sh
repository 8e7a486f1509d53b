# The sample run inside one Wine session, as the Wine user: sample-session.sh BUILD MODE STEPS
# (see run-sample.sh). Prints the machine's state after each step. Every Wine command goes
# through the loader that lib.sh chose ($WINELOADER).
set -u
build=$1 mode=$2 steps=$3
drive_c=$WINEPREFIX/drive_c
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
package=$(winpath "$build/sample-package")
run_wine() { "$WINELOADER" "$@"; }
driver() { run_wine "$build/tests/e2e/e2e_driver.exe" "$@"; }
helpdump() { run_wine "$build/tools/helpdump/helpdump.exe" "$@"; }

show() {
    echo
    echo "--- $1"
    echo "install folder (C:\\Program Files\\Quillon):"
    if [ -d "$drive_c/Program Files/Quillon" ]; then
        (cd "$drive_c/Program Files/Quillon" && find . -mindepth 1 | sort | sed 's|^\./|    |')
    else
        echo "    (none)"
    fi
    echo "wizard files in the IDE:"
    (cd "$drive_c/Program Files" && find . -ipath '*vc7*' -iname 'QuillonWiz*' | sort | sed 's|^\./|    |')
    echo "Uninstall entry:"
    run_wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quillon' 2>/dev/null \
        | grep REG_ || echo "    (none)"
    echo "directory lists:"
    for f in "$drive_c"/users/*/AppData/Local/Microsoft/VisualStudio/7.0/VCComponents.dat; do
        echo "  ${f#$drive_c/}"
        grep -a -E '^(Include|Library) Dirs=' "$f" | tr -d '\r' | sed 's/^/    /'
    done
    for f in nslist.hxl MS.VSCC.hxn Quillon.hxn; do
        echo "help file $f:"
        if [ -f "$drive_c/ProgramData/Microsoft Help/$f" ]; then
            helpdump "C:\\ProgramData\\Microsoft Help\\$f" | sed 's/^/    /'
        else
            echo "    (none)"
        fi
    done
}

echo "=== laying out the sample machine"
run_wine "$build/samples/machine/sample-machine.exe" both
show "before the install"

echo
printf "=== installing from %s\n" "$package"
if [ "$mode" = interactive ]; then
    echo "(answer the dialogs: the proposal is C:\\Program Files\\Quillon)"
    (cd "$build/sample-package" && run_wine ./setup.exe)
else
    driver --exe "$package\\setup.exe" --cwd 'C:\' --window "Choose Folder" --read 1000 --ok --message
fi
show "after the install"
[ "$steps" = install ] && exit 0

command=$(run_wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quillon' /v UninstallString 2>/dev/null \
          | sed -n 's/.*REG_SZ *//p' | tr -d '\r')
if [ -z "$command" ]; then
    echo "no uninstall command recorded; nothing more to do"
    exit 0
fi
exe=$(printf '%s' "$command" | sed 's/^"\([^"]*\)".*/\1/')
echo
printf "=== uninstalling: %s\n" "$command"
if [ "$mode" = interactive ]; then
    run_wine "$exe" /uninstall
else
    driver --exe "$exe" --args /uninstall --cwd 'C:\' --message
fi
show "after the uninstall"
echo "left for the restart:"
run_wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null \
    | grep REG_ || echo "    (nothing)"

echo
echo "=== restarting the machine (wineboot -r)"
run_wine wineboot -r
show "after the restart"
