# The sample run inside one Wine session, as the Wine user:
#   sample-session.sh BUILD MODE STEPS [PACKAGE [CA_FILE]]
# (see run-sample.sh). Installs from the package folder PACKAGE (BUILD/sample-package when not
# given); with CA_FILE the package is a signed one, and the installed copy of setup.exe must be its
# signed file and verify, timestamp included, against those authorities. Prints the machine's
# state after each step. Every Wine command goes through the loader that lib.sh chose
# ($WINELOADER). The first step that fails ends the run with exit code 1, after its command, the
# tail of its output and what is wrong.
set -u
build=$1 mode=$2 steps=$3 package_dir=${4:-$1/sample-package} ca_file=${5:-}
drive_c=$WINEPREFIX/drive_c
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
package=$(winpath "$package_dir")
run_wine() { "$WINELOADER" "$@"; }

# fail_step WHAT COMMAND RC OUTPUT
fail_step() {
    printf 'failed (exit code %s): %s\n' "$3" "$2" >&2
    if [ -n "$4" ]; then
        echo "--- last lines of its output:" >&2
        printf '%s\n' "$4" | tail -n 15 >&2
    fi
    printf 'error: %s\n' "$1" >&2
    exit 1
}

# checked WHAT CMD...: runs a step with its output shown; a failure ends the run.
checked() {
    what=$1; shift
    out=$("$@" 2>&1)
    rc=$?
    # Windows programs end their lines with a carriage return.
    out=$(printf '%s\n' "$out" | tr -d '\r')
    [ -n "$out" ] && printf '%s\n' "$out" | sed "s/^/${indent:-}/"
    [ "$rc" -eq 0 ] || fail_step "$what" "$*" "$rc" "$out"
}

# expect_message TEXT: the driver's last step must have shown this closing message.
expect_message() {
    printf '%s\n' "$out" | grep -qxF "message \"Setup\" \"$1\"" ||
        fail_step "setup.exe did not end with \"$1\"" "$last_run" 0 "$out"
}

driver() { last_run="e2e_driver $*"; checked "the driver could not run setup.exe to its end" \
               run_wine "$build/tests/e2e/e2e_driver.exe" "$@"; }
helpdump() {
    indent="    "
    checked "helpdump could not read a help file" run_wine "$build/tools/helpdump/helpdump.exe" "$@"
    indent=""
}

uninstall_value() {
    run_wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quillon' /v "$1" 2>/dev/null \
        | sed -n 's/.*REG_SZ *//p' | tr -d '\r'
}

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
            helpdump "C:\\ProgramData\\Microsoft Help\\$f"
        else
            echo "    (none)"
        fi
    done
}

echo "=== laying out the sample machine"
checked "the sample machine could not be laid out" run_wine "$build/samples/machine/sample-machine.exe" both
show "before the install"

echo
printf "=== installing from %s\n" "$package"
if [ "$mode" = interactive ]; then
    echo "(answer the dialogs: the proposal is C:\\Program Files\\Quillon)"
    checked "setup.exe could not be run" sh -c 'cd "$1" && "$WINELOADER" ./setup.exe' sh "$package_dir"
else
    driver --exe "$package\\setup.exe" --cwd 'C:\' --window "Choose Folder" --read 1000 --ok --message
    expect_message "Quillon installed successfully"
fi
show "after the install"
if [ -n "$ca_file" ]; then
    # The copy the recorded uninstall command runs, and Add/Remove Programs shows, keeps the
    # package's signature only when the install copied it byte for byte.
    installed=$(run_wine winepath -u "$(uninstall_value InstallDir)\\setup.exe" 2>/dev/null | tr -d '\r')
    checked "the installed setup.exe is not the package's signed file" cmp "$package_dir/Quillon/setup.exe" "$installed"
    verified=$(osslsigncode verify -CAfile "$ca_file" -TSA-CAfile "$ca_file" -in "$installed" 2>&1)
    printf '%s\n' "$verified" | grep -qx 'Signature verification: ok' &&
        printf '%s\n' "$verified" | grep -qx 'Timestamp Server Signature verification: ok' ||
        fail_step "the installed setup.exe's signature does not verify" "osslsigncode verify" 1 "$verified"
    echo "the installed setup.exe is the package's signed file, byte for byte; its signature and timestamp verify"
fi

command=$(uninstall_value UninstallString)
[ -n "$command" ] || fail_step "the install recorded no uninstall command (was it cancelled?)" \
    "reg query ...\\Uninstall\\Quillon /v UninstallString" 1 ""
[ "$steps" = install ] && exit 0
exe=$(printf '%s' "$command" | sed 's/^"\([^"]*\)".*/\1/')
echo
printf "=== uninstalling: %s\n" "$command"
if [ "$mode" = interactive ]; then
    checked "the uninstall could not be run" run_wine "$exe" /uninstall
else
    driver --exe "$exe" --args /uninstall --cwd 'C:\' --message
    expect_message "Quillon uninstalled"
fi
show "after the uninstall"
echo "left for the restart:"
run_wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null \
    | grep REG_ || echo "    (nothing)"

echo
echo "=== restarting the machine (wineboot -r)"
checked "the restart failed" run_wine wineboot -r
show "after the restart"
[ -z "$(uninstall_value UninstallString)" ] ||
    fail_step "the Uninstall entry is still there after the uninstall" "reg query" 1 ""
[ ! -e "$drive_c/Program Files/Quillon" ] ||
    fail_step "C:\\Program Files\\Quillon is still there after the restart" "ls" 1 ""
echo
if [ -n "$ca_file" ]; then
    echo "The sample run on the signed package ended as it should: installed, uninstalled, restarted."
else
    echo "The sample run ended as it should: installed, uninstalled, restarted."
fi
