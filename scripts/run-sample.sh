#!/usr/bin/env bash
# The program's main job on a sample machine: builds setup.exe and the sample package, turns a
# fresh Wine prefix into a developer workstation, installs Quillon as a user would, shows what
# changed, then uninstalls it as Windows runs the recorded command, restarts and shows what is left.
#
#   scripts/run-sample.sh [--install-only] [--interactive | --driven] [--signed]
#
# With a display ($DISPLAY and a terminal) the dialogs are yours to answer (--interactive);
# otherwise, or with --driven, the end-to-end driver answers them under a virtual display.
# --signed installs from a package that make_package.sh built and signed with the certificate of a
# throwaway test authority made here, stamped by a time-stamp authority served on 127.0.0.1.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
cd "$QUILLON_ROOT"

mode=driven
[ -n "${DISPLAY:-}" ] && [ -t 0 ] && [ -z "${CI:-}" ] && mode=interactive
steps=both
signed=''
for arg in "$@"; do
    case "$arg" in
        --install-only) steps=install ;;
        --interactive) mode=interactive ;;
        --driven) mode=driven ;;
        --signed) signed=1 ;;
        *) echo "usage: $0 [--install-only] [--interactive | --driven] [--signed]" >&2; exit 2 ;;
    esac
done

# pe_machine FILE: the kind of PE image FILE is, so that the output says which program was signed.
pe_machine() {
    local pe machine
    pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    machine=$(od -An -tx2 -j "$((pe + 4))" -N 2 "$1" | tr -d ' ')
    case $machine in
        014c) echo "PE32, i386" ;;
        8664) echo "PE32+, x86-64" ;;
        *) echo "machine 0x$machine" ;;
    esac
}

# verify_signed FILE: osslsigncode's verdict on FILE against the test authorities, in one line;
# a signature or a timestamp that does not verify ends the run.
verify_signed() {
    local file=$1 log=$signing/verify.log
    osslsigncode verify -CAfile "$signing/pki/ca.crt" -TSA-CAfile "$signing/pki/tsa-ca.crt" -in "$file" \
        > "$log" 2>&1 &&
        grep -qx 'Signature verification: ok' "$log" &&
        grep -qx 'Timestamp Server Signature verification: ok' "$log" ||
        fail "the signature on $file does not verify" "$log"
    local signer
    signer=$(grep -m 1 'Subject:' "$log" | sed 's/.*Subject: *//')
    echo "    ${file#"$signing"/} ($(pe_machine "$file")): signature ok (signer $signer), timestamp ok"
}

# make_signed_package: the sample package built by make_package.sh, signed and stamped; sets
# package to the folder the run installs from and ca_file to the authorities it verifies against.
make_signed_package() {
    signing=$QUILLON_ROOT/build/sample/signed
    echo "=== building a signed package with make_package.sh (build/sample/signed)"
    rm -rf "$signing"
    mkdir -p "$signing/pki" "$signing/library"
    . "$QUILLON_ROOT/tools/package/test_authority.sh"
    make_test_certificates "$signing/pki" > "$signing/certificates.log" ||
        fail "the test certificates could not be made" "$signing/certificates.log"
    echo "a throwaway test authority: $(openssl x509 -noout -subject -in "$signing/pki/ca.crt")"
    echo "its code-signing certificate: $(openssl x509 -noout -subject -in "$signing/pki/signer.crt") (signer.p12)"
    start_timestamp_server "$signing/pki" 600 > "$signing/server.log" ||
        fail "the time-stamp server did not start" "$signing/server.log"
    trap 'kill "$timestamp_server_pid" 2>/dev/null' EXIT
    echo "a time-stamp authority: $timestamp_url"
    # The package tool takes the shipped 32-bit setup.exe only.
    if [ "$QUILLON_MODE" = win64 ]; then
        run_logged "$log" cmake --preset win32
        run_logged "$log" cmake --build --preset win32 --target setup
    fi
    # The sample package's library, without the copy of setup.exe the package tool adds itself.
    cp -R "$QUILLON_WIN_BUILD/sample-package/Quillon/." "$signing/library/"
    rm "$signing/library/setup.exe"
    local sign=(--pkcs12 "$signing/pki/signer.p12" --password-file "$signing/pki/password.txt")
    "$QUILLON_ROOT/tools/package/make_package.sh" "${sign[@]}" --timestamp "$timestamp_url" \
        --ca-file "$signing/pki/authorities.crt" "$signing/library" "$QUILLON_WIN_BUILD/sample-package/AppWizard" \
        "$QUILLON_ROOT/build/win32/shell/setup.exe" "$signing/Quillon-1.0" > "$signing/make_package.log" 2>&1 ||
        fail "make_package.sh could not build the signed package" "$signing/make_package.log"
    sed 's/^/    /' "$signing/make_package.log"
    verify_signed "$signing/Quillon-1.0/setup.exe"
    verify_signed "$signing/Quillon-1.0/Quillon/setup.exe"
    package=$signing/Quillon-1.0
    if [ "$QUILLON_MODE" = win64 ]; then
        echo "This host runs no 32-bit programs, so this package's setup.exe cannot run here. The run"
        echo "installs from a copy of it, Quillon-1.0-twin, whose two setup.exe are the 64-bit twin"
        echo "signed and stamped the same way with the same certificate by osslsigncode directly: not"
        echo "by make_package.sh, which takes the 32-bit program only. Everything else in it is the"
        echo "package make_package.sh built."
        cp -R "$signing/Quillon-1.0" "$signing/Quillon-1.0-twin"
        osslsigncode sign -pkcs12 "$signing/pki/signer.p12" -readpass "$signing/pki/password.txt" -h sha256 \
            -in "$QUILLON_WIN_BUILD/shell/setup.exe" -out "$signing/twin-signed.exe" > "$signing/twin.log" 2>&1 &&
            osslsigncode add -h sha256 -ts "$timestamp_url" -in "$signing/twin-signed.exe" \
                -out "$signing/twin-stamped.exe" >> "$signing/twin.log" 2>&1 ||
            fail "osslsigncode could not sign the 64-bit twin" "$signing/twin.log"
        cp "$signing/twin-stamped.exe" "$signing/Quillon-1.0-twin/setup.exe"
        cp "$signing/twin-stamped.exe" "$signing/Quillon-1.0-twin/Quillon/setup.exe"
        verify_signed "$signing/Quillon-1.0-twin/setup.exe"
        verify_signed "$signing/Quillon-1.0-twin/Quillon/setup.exe"
        package=$signing/Quillon-1.0-twin
    fi
    kill "$timestamp_server_pid" 2>/dev/null || true
    trap - EXIT
    ca_file=$signing/pki/authorities.crt
    echo "The run installs from the signed package ${package#"$QUILLON_ROOT"/}."
}

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

package=$QUILLON_WIN_BUILD/sample-package
ca_file=''
if [ -n "$signed" ]; then
    make_signed_package
fi

echo "=== preparing a fresh machine (Wine prefix build/sample/prefix)"
prefix=$QUILLON_ROOT/build/sample/prefix
prepare_prefix "$prefix"

session=(sh "$QUILLON_ROOT/scripts/sample-session.sh" "$QUILLON_WIN_BUILD" "$mode" "$steps" "$package" "$ca_file")
if [ "$mode" = interactive ]; then
    in_real_display "$prefix" "${session[@]}"
else
    in_display "$prefix" "${session[@]}"
fi
