#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests (ASan/UBSan), fuzz smoke runs,
# the Windows tests and the end-to-end tests under Wine and Xvfb. Ends with a summary whose
# lines name the mode they ran in (see decide_wine_mode in lib.sh).
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

# add_result LABEL PASSED FAILED [NOTE]
add_result() {
    [ "$3" -ne 0 ] && failed_any=1
    results+=("$1: $2 passed, $3 failed${4:+ ($4)}")
}

# record LABEL LOG RC [NOTE]: takes the counts from a ctest log.
record() {
    local label=$1 log=$2 rc=$3 note=${4:-}
    local line passed failed total
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((total - failed))
    else
        passed=0; failed=1
    fi
    if [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
        echo "error: $label: every test counted passed, but the run ended with exit code $rc" \
             "(under Wine: the session or its virtual display ended badly; see $log)"
        failed=1
    fi
    add_result "$label" "$passed" "$failed" "$note"
}

step() { echo; echo "=== $* ==="; }

# build PRESET [TARGET...]: configures and builds; a failure is counted and its log shown.
build() {
    local preset=$1; shift
    local log=$logdir/build-$preset.log
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" "${targets[@]}"; } > "$log" 2>&1; then
        tail -n 30 "$log"
        echo "error: the $preset build failed (cmake --build --preset $preset ${targets[*]})"
        add_result "$preset-build" 0 1
        return 1
    fi
    grep -E 'warning:' "$log" | head -n 20
    return 0
}

# wine_tests LABEL PREFIX BUILD NOTE CTEST-SELECTION...: the Windows tests of BUILD under Wine.
wine_tests() {
    local label=$1 prefix=$2 dir=$3 note=$4; shift 4
    prepare_prefix "$prefix"
    give_to_wine_user "$dir"
    QUILLON_WARM_UP=$(find "$QUILLON_ROOT/$dir/tests" -name '*_tests.exe' | tr '\n' ' ') \
        in_display "$prefix" ctest --test-dir "$dir" -j1 --output-on-failure --timeout 300 "$@" \
        2>&1 | tee "$logdir/$label.log" | grep -vE '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+:)' | tail -n 60
    record "$label" "$logdir/$label.log" "${PIPESTATUS[0]}" "$note"
}

step "host build and unit tests"
if build host; then
    ctest --preset host 2>&1 | tee "$logdir/host.log" | tail -n 15
    record host "$logdir/host.log" "${PIPESTATUS[0]}"
fi

step "fuzz targets (bounded runs)"
if build fuzz; then
    ctest --preset fuzz 2>&1 | tee "$logdir/fuzz.log" | tail -n 15
    record fuzz "$logdir/fuzz.log" "${PIPESTATUS[0]}"
fi

wow64_reason="label wow64: a 32-bit program in a 64-bit prefix"
if [ "$QUILLON_MODE" = win32 ]; then
    step "win32 build and tests (32-bit Wine)"
    if build win32; then
        echo "left out here: $wow64_reason; it runs in the wow64 line"
        wine_tests win32 "$QUILLON_ROOT/build/wine/prefix" build/win32 "32-bit Wine" -LE wow64

        step "road tests of the 32-bit setup.exe in a 64-bit prefix (WOW64)"
        echo "only the road tests (label road) run here; the rest ran in the win32 line"
        use_wine win64
        wine_tests wow64 "$QUILLON_ROOT/build/wine/prefix64" build/win32 \
            "32-bit setup.exe in a 64-bit prefix" -L road
        use_wine win32
    fi
else
    step "win32 build: the shipped 32-bit setup.exe, checked without running it ($QUILLON_MODE_WHY)"
    if build win32 setup && build win64; then
        sh tests/win/check_setup_exe.sh build/win32/shell/setup.exe i386 build/win64/shell/setup.exe \
            | tee "$logdir/setup-exe.log"
        add_result "setup.exe" "$(grep -c '^ok ' "$logdir/setup-exe.log")" \
            "$(grep -c '^FAILED ' "$logdir/setup-exe.log")" "32-bit, static checks: header, imports, resources"

        step "win64 tests: the 64-bit twin under 64-bit Wine"
        echo "left out here: $wow64_reason, which the 64-bit twin is not"
        wine_tests win64 "$QUILLON_ROOT/build/wine/prefix64" build/win64 \
            "64-bit twin; $QUILLON_MODE_WHY" -LE wow64
    fi
fi

echo
echo "=== summary ==="
tp=0; tf=0
for r in "${results[@]}"; do
    echo "$r"
    p=$(sed -E 's/^[^:]*: ([0-9]+) passed, ([0-9]+) failed.*/\1/' <<<"$r")
    f=$(sed -E 's/^[^:]*: ([0-9]+) passed, ([0-9]+) failed.*/\2/' <<<"$r")
    tp=$((tp + p)); tf=$((tf + f))
done
echo "total: $tp passed, $tf failed"
exit $failed_any
