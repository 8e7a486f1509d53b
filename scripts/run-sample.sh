#!/usr/bin/env bash
# The program's main job on a sample machine: builds setup.exe and the sample package, turns a
# fresh Wine prefix into a developer workstation, installs Quillon as a user would, shows what
# changed, then uninstalls it as Windows runs the recorded command, restarts and shows what is left.
#
#   scripts/run-sample.sh [--install-only] [--interactive | --driven]
#
# With a display ($DISPLAY and a terminal) the dialogs are yours to answer (--interactive);
# otherwise, or with --driven, the end-to-end driver answers them under a virtual display.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
cd "$QUILLON_ROOT"

mode=driven
[ -n "${DISPLAY:-}" ] && [ -t 0 ] && [ -z "${CI:-}" ] && mode=interactive
steps=both
for arg in "$@"; do
    case "$arg" in
        --install-only) steps=install ;;
        --interactive) mode=interactive ;;
        --driven) mode=driven ;;
        *) echo "usage: $0 [--install-only] [--interactive | --driven]" >&2; exit 2 ;;
    esac
done

install_packages || exit 1
wine_user_setup
reach_for_wine_user "$0" "$@"

if [ "$QUILLON_MODE" = win64 ]; then
    echo "Running the 64-bit twin of setup.exe under 64-bit Wine ($QUILLON_MODE_WHY)."
else
    echo "Running the 32-bit setup.exe under 32-bit Wine."
fi
echo "=== building setup.exe and the sample package ($QUILLON_PRESET preset)"
log=$QUILLON_ROOT/build/logs/run-sample-build.log
run_logged "$log" cmake --preset "$QUILLON_PRESET"
run_logged "$log" cmake --build --preset "$QUILLON_PRESET" \
    --target setup sample_package sample-machine e2e_driver helpdump

echo "=== preparing a fresh machine (Wine prefix build/sample/prefix)"
prefix=$QUILLON_ROOT/build/sample/prefix
prepare_prefix "$prefix"

session=(sh "$QUILLON_ROOT/scripts/sample-session.sh" "$QUILLON_WIN_BUILD" "$mode" "$steps")
if [ "$mode" = interactive ]; then
    in_real_display "$prefix" "${session[@]}"
else
    in_display "$prefix" "${session[@]}"
fi
