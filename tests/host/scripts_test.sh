#!/usr/bin/env bash
# The scripts' failure paths: a failed sample session step ends it loudly with a non-zero exit,
# a whole run ends with 0, a run on a signed package ends so only when the installed setup.exe is
# the package's signed and stamped file, and a Wine mode decided for another checkout is not taken
# over.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
# expect NAME STATUS DETAIL: STATUS 0 passes.
expect() { if [ "$2" -eq 0 ]; then echo "ok $1"; passed=$((passed + 1)); else echo "FAILED $1: $3"; failed=$((failed + 1)); fi; }

# A stand-in for Wine, ending lines in CR LF as Windows programs do: all but $STUB_FAIL succeed,
# the driver shows $STUB_MESSAGE (or an uninstall's end), the entry is there until the restart.
mkdir -p "$work/prefix/drive_c/Program Files" "$work/prefix/drive_c/ProgramData/Microsoft Help" &&
    touch "$work/prefix/drive_c/ProgramData/Microsoft Help/nslist.hxl"
cat > "$work/wine" <<'STUB'
#!/bin/sh
case "$*" in
    *"$STUB_FAIL"*) printf 'wine: failed to open "program.exe": c0000135\r\n'; exit 53 ;;
    *e2e_driver.exe*/uninstall*) printf 'message "Setup" "Quillon uninstalled"\r\nexit 0\r\n' ;;
    *e2e_driver.exe*) printf 'window "Choose Folder"\r\nmessage "Setup" "%s"\r\nexit 0\r\n' "$STUB_MESSAGE" ;;
    "wineboot -r") rm -f "$STUB_STATE" ;;
    reg*/v*) [ -f "$STUB_STATE" ] && printf '    X    REG_SZ    %s\r\n' "$STUB_ENTRY" ;;
    "winepath -u"*) printf '%s\r\n' "$STUB_INSTALLED" ;;
esac
exit 0
STUB
chmod +x "$work/wine"

# session FAIL MESSAGE ENTRY [PACKAGE CA_FILE]: one sample session on the stand-in; its output goes
# to $work/out. $STUB_INSTALLED is where the stand-in's winepath finds the installed setup.exe.
session() {
    echo > "$work/state"; WINEPREFIX=$work/prefix WINELOADER=$work/wine STUB_FAIL=$1 STUB_MESSAGE=$2 STUB_ENTRY=$3 \
        STUB_STATE=$work/state STUB_INSTALLED=${STUB_INSTALLED:-} \
        sh "$root/scripts/sample-session.sh" "$work/build" driven both "${@:4}" > "$work/out" 2>&1
}
# ended LABEL RC CODE LINE: the session ended with exit code CODE and LINE as its last line.
ended() {
    local last
    last=$(tail -n 1 "$work/out")
    expect "$1" "$([ "$2" -eq "$3" ] && [ "$last" = "$4" ]; echo $?)" "exit code $2, last line: $last"
}

installed="Quillon installed successfully"
entry='"C:\Program Files\Quillon\setup.exe" /uninstall'
cases=(
    # fail at | driver's message | entry | exit code | last line
    "sample-machine.exe|$installed|$entry|1|error: the sample machine could not be laid out"
    "no such step|Installation aborted|$entry|1|error: setup.exe did not end with \"$installed\""
    "no such step|$installed||1|error: the install recorded no uninstall command (was it cancelled?)"
    "helpdump.exe|$installed|$entry|1|error: helpdump could not read a help file"
    "no such step|$installed|$entry|0|The sample run ended as it should: installed, uninstalled, restarted."
)
for c in "${cases[@]}"; do
    IFS='|' read -r fail message value code error <<<"$c"
    session "$fail" "$message" "$value"
    ended "session: $fail, $message" $? "$code" "$error"
done

# The failed command is shown as it was run, backslashes and all, with its output.
session "no such step" "Installation aborted" "$entry"
expect "the failed command and its output are shown" \
    "$(grep -qxF "failed (exit code 0): e2e_driver --exe $(printf 'Z:%s' "$work/build/sample-package" | tr / '\\')\\setup.exe --cwd C:\\ --window Choose Folder --read 1000 --ok --message" "$work/out" &&
       [ "$(grep -cxF 'message "Setup" "Installation aborted"' "$work/out")" = 2 ]; echo $?)" "$(cat "$work/out")"

# A signed package: setup.exe signed with a test authority's certificate, stamped and not.
. "$root/tools/package/test_authority.sh"
pki=$work/pki
mkdir -p "$pki" "$work/package/Quillon"
python3 "$root/tools/package/tests/write_pe.py" 0x14c 0x10b 2 > "$work/unsigned.exe"
sign=(-pkcs12 "$pki/signer.p12" -readpass "$pki/password.txt" -h sha256)
if make_test_certificates "$pki" > "$work/pki.log" && start_timestamp_server "$pki" 60 >> "$work/pki.log" &&
   osslsigncode sign "${sign[@]}" -in "$work/unsigned.exe" -out "$work/unstamped.exe" >> "$work/pki.log" 2>&1 &&
   osslsigncode add -h sha256 -ts "$timestamp_url" -in "$work/unstamped.exe" -out "$work/stamped.exe" >> "$work/pki.log" 2>&1
then
    signed_cases=(
        # the package's setup.exe | the installed one | CA file | exit code | last line
        "stamped|stamped|authorities|0|The sample run on the signed package ended as it should: installed, uninstalled, restarted."
        "stamped|unsigned|authorities|1|error: the installed setup.exe is not the package's signed file"
        "unstamped|unstamped|authorities|1|error: the installed setup.exe's signature does not verify"
        "stamped|stamped|tsa-ca|1|error: the installed setup.exe's signature does not verify"
    )
    for c in "${signed_cases[@]}"; do
        IFS='|' read -r packaged copied ca code error <<<"$c"
        cp "$work/$packaged.exe" "$work/package/Quillon/setup.exe"
        cp "$work/$copied.exe" "$work/installed.exe"
        STUB_INSTALLED=$work/installed.exe session "no such step" "$installed" "$entry" "$work/package" "$pki/$ca.crt"
        ended "signed package: $packaged in the package, $copied installed, $ca.crt" $? "$code" "$error"
    done
else
    expect "the test certificates and a signed setup.exe are made" 1 "$(cat "$work/pki.log")"
fi
[ -z "${timestamp_server_pid:-}" ] || kill "$timestamp_server_pid" 2>/dev/null

# A mode decided in another checkout names that checkout's build: it is decided again here.
out=$(QUILLON_MODE=win64 QUILLON_PRESET=win64 QUILLON_WIN_BUILD=/elsewhere/build/win64 \
      QUILLON_WINE_MODE=win64 bash -c '. "$1/scripts/lib.sh"; decide_wine_mode >/dev/null; echo "$QUILLON_WIN_BUILD"' sh "$root")
expect "an inherited mode is decided afresh" "$([ "$out" = "$root/build/win64" ]; echo $?)" "$out"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
