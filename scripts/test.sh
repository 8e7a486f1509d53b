#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests (ASan/UBSan), fuzz smoke runs,
# the Windows tests and the end-to-end tests under Wine and Xvfb. Ends with a summary.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
cd "$QUILLON_ROOT"

install_packages || exit 1
wine_user_setup
reach_for_wine_user "$0" "$@"

results=()
failed_any=0
logdir=build/logs
mkdir -p "$logdir"

# record LABEL LOG RC: takes the counts from a ctest log.
record() {
    local label=$1 log=$2 rc=$3
    local line passed failed total
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((total - failed))
    elif grep -q "No tests were found" "$log"; then
        passed=0; failed=0
    else
        passed=0; failed=1
    fi
    [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
    [ "$failed" -ne 0 ] && failed_any=1
    results+=("$label: $passed passed, $failed failed")
}

step() { echo; echo "=== $* ==="; }

step "host build and unit tests"
{ cmake --preset host >/dev/null && cmake --build --preset host; } 2>&1 | tail -n 20
ctest --preset host 2>&1 | tee "$logdir/host.log" | tail -n 15
record host "$logdir/host.log" "${PIPESTATUS[0]}"

step "fuzz targets (bounded runs)"
{ cmake --preset fuzz >/dev/null && cmake --build --preset fuzz; } 2>&1 | tail -n 20
ctest --preset fuzz 2>&1 | tee "$logdir/fuzz.log" | tail -n 15
record fuzz "$logdir/fuzz.log" "${PIPESTATUS[0]}"

step "win32 build"
{ cmake --preset win32 >/dev/null && cmake --build --preset win32; } 2>&1 | tail -n 20
if [ "${PIPESTATUS[0]}" -ne 0 ] || [ ! -f build/win32/shell/setup.exe ]; then
    results+=("win32-build: 0 passed, 1 failed"); failed_any=1
fi

step "Windows and end-to-end tests under Wine"
prefix=$QUILLON_ROOT/build/wine/prefix
prepare_prefix "$prefix" > "$logdir/prefix.log" 2>&1 || { cat "$logdir/prefix.log"; }
give_to_wine_user build/win32
in_display "$prefix" ctest --test-dir build/win32 -j1 --output-on-failure --timeout 300 \
    2>&1 | tee "$logdir/win32.log" | grep -vE '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+:)' | tail -n 60
record win32 "$logdir/win32.log" "${PIPESTATUS[0]}"

echo
echo "=== summary ==="
tp=0; tf=0
for r in "${results[@]}"; do
    echo "$r"
    p=$(sed -E 's/.*: ([0-9]+) passed, ([0-9]+) failed/\1/' <<<"$r")
    f=$(sed -E 's/.*: ([0-9]+) passed, ([0-9]+) failed/\2/' <<<"$r")
    tp=$((tp + p)); tf=$((tf + f))
done
echo "total: $tp passed, $tf failed"
exit $failed_any
