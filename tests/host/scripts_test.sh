#!/usr/bin/env bash
# The scripts' own failure paths: a failed step of the sample session ends it loudly and with a
# non-zero exit, and a Wine mode decided for another checkout is not taken over.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect NAME CONDITION-RESULT DETAIL
    if [ "$2" -eq 0 ]; then echo "ok $1"; else echo "FAILED $1: $3"; failures=$((failures + 1)); fi
}

# A stand-in for the Wine loader: every program succeeds except as $STUB_FAIL says; the driver
# reports the closing message $STUB_MESSAGE.
mkdir -p "$work/prefix/drive_c/Program Files"
cat > "$work/wine" <<'STUB'
#!/bin/sh
case "$1" in
    *"$STUB_FAIL"*) echo 'wine: failed to open "program.exe": c0000135'; exit 53 ;;
    *e2e_driver.exe) printf 'window "Choose Folder"\nmessage "Setup" "%s"\nexit 0\n' "$STUB_MESSAGE" ;;
    reg) [ "$3" = /v ] && [ -n "$STUB_ENTRY" ] && printf '    %s    REG_SZ    %s\r\n' "$4" "$STUB_ENTRY"
         [ -n "$STUB_ENTRY" ] ;;
esac
exit 0
STUB
chmod +x "$work/wine"

# session FAIL MESSAGE ENTRY: runs the session on the stand-in; its output goes to $work/out.
session() {
    WINEPREFIX=$work/prefix WINELOADER=$work/wine STUB_FAIL=$1 STUB_MESSAGE=$2 STUB_ENTRY=$3 \
        sh "$root/scripts/sample-session.sh" "$work/build" driven both > "$work/out" 2>&1
}

cases=(
    # fail-on               message                            entry                  expected error line
    "sample-machine.exe|Quillon installed successfully|\"C:\\Q\\setup.exe\" /uninstall|error: the sample machine could not be laid out"
    "no such step|Installation aborted||error: setup.exe did not end with \"Quillon installed successfully\""
    "no such step|Quillon installed successfully||error: the install recorded no uninstall command (was it cancelled?)"
    "helpdump.exe|Quillon installed successfully|x|error: helpdump could not read a help file"
)
mkdir -p "$work/prefix/drive_c/ProgramData/Microsoft Help"
touch "$work/prefix/drive_c/ProgramData/Microsoft Help/nslist.hxl"
for c in "${cases[@]}"; do
    IFS='|' read -r fail message entry error <<<"$c"
    session "$fail" "$message" "$entry"
    rc=$?
    last=$(tail -n 1 "$work/out")
    expect "session failing at '$fail' / '$message'" "$([ $rc -eq 1 ] && [ "$last" = "$error" ]; echo $?)" \
        "exit code $rc, last line: $last"
done
session sample-machine.exe x x
expect "the failed command and its output are shown" \
    "$(grep -q '^failed (exit code 53): run_wine .*sample-machine.exe both$' "$work/out" &&
       grep -q 'c0000135' "$work/out"; echo $?)" "$(cat "$work/out")"

# A mode decided in another checkout names that checkout's build: it is decided again here.
out=$(QUILLON_MODE=win64 QUILLON_PRESET=win64 QUILLON_WIN_BUILD=/elsewhere/build/win64 \
      QUILLON_WINE_MODE=win64 bash -c '. "$1/scripts/lib.sh"; decide_wine_mode >/dev/null; echo "$QUILLON_WIN_BUILD"' sh "$root")
expect "an inherited mode is decided afresh" "$([ "$out" = "$root/build/win64" ]; echo $?)" "$out"

echo "$((4 + 2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
