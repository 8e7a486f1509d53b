#!/bin/bash
# signing_test.sh MAKE_PACKAGE FIXTURES: the package command signs and stamps both copies of
# setup.exe with certificates of a test authority made here, and a time-stamp authority served on
# 127.0.0.1; each way the signing can go wrong ends the command with the step's name and nothing
# left behind. The exit code is the number of failed cases.
set -u
tool=$(realpath "$1")
fixtures=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
server_pid=''
trap '[ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
case_name=setup

fail() { echo "FAIL $case_name: $*"; failures=$((failures + 1)); }

for program in osslsigncode openssl python3 zip unzip; do
    command -v "$program" > /dev/null ||
        { echo "FAIL: $program is not installed (scripts/lib.sh's install_packages installs it)"; exit 1; }
done

# --- The test authorities (one for code signing, one for time stamping, each with its own root)
# and a wrong password. ---
. "$here/../test_authority.sh"
pki=$work/pki
mkdir "$pki" || exit 1
make_test_certificates "$pki" || { echo "FAIL: making the test certificates"; exit 1; }
printf '%s\n' 'open sesame' > "$pki/wrong-password.txt"
python3 "$here/write_pe.py" 0x14c 0x10b 2 > "$work/setup.exe" || exit 1

# --- The time-stamp authority on a free port; it ends by itself after two minutes. A port that
# was free a moment ago and is closed now stands for one that cannot be reached. ---
start_timestamp_server "$pki" 120 || { echo "FAIL: the time-stamp server did not start"; exit 1; }
server_pid=$timestamp_server_pid
tsa_url=$timestamp_url
closed_url=http://127.0.0.1:$(python3 -c 'import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])')/

# new_case NAME: a fresh folder with library/, wizard/, setup.exe and an empty tmp/ the command
# gets as TMPDIR; the case works there.
new_case() {
    case_name=$1
    mkdir -p "$work/$case_name"
    cd "$work/$case_name" || exit 1
    cp -R "$fixtures/library" "$fixtures/wizard" "$work/setup.exe" .
    mkdir out tmp
}

# check_signed FOLDER STAMP: both setup.exe in the package FOLDER and in its zip are the same
# signed file, which the test authorities verify, stamped when STAMP is "stamped"; signing changed
# only the header's checksum and certificate table entry and added the table after the image.
check_signed() {
    local folder=$1 stamp=$2 exe log=$work/$case_name.verify
    [ -d "$folder" ] || { fail "no package folder $folder"; return; }
    for exe in "$folder/setup.exe" "$folder/Quillon/setup.exe"; do
        osslsigncode verify -CAfile "$pki/ca.crt" -TSA-CAfile "$pki/tsa-ca.crt" -in "$exe" > "$log" 2>&1 ||
            fail "$exe does not verify: $(cat "$log")"
        grep -qx 'Signature verification: ok' "$log" || fail "$exe: no 'Signature verification: ok'"
        if [ "$stamp" = stamped ]; then
            grep -qx 'Timestamp Server Signature verification: ok' "$log" || fail "$exe: no verified timestamp"
        else
            grep -qx 'Timestamp is not available' "$log" || fail "$exe: a timestamp that nobody asked for"
        fi
        local changed
        changed=$(cmp -l setup.exe "$exe" 2>/dev/null | awk '{print $1 - 1}' | tr '\n' ' ')
        # 0x98-0x9b: the checksum; 0xd8-0xdf: the certificate table's offset and size.
        [[ "$changed" =~ ^((152|153|154|155|216|217|218|219|220|221|222|223)\ )+$ ]] ||
            fail "$exe: signing changed the bytes at $changed"
        [ "$(od -An --endian=little -tu4 -j 216 -N 4 "$exe" | tr -d ' ')" = 1024 ] || fail "$exe: the certificate table does not follow the image"
    done
    cmp -s "$folder/setup.exe" "$folder/Quillon/setup.exe" || fail "the two setup.exe differ"
    local name=${folder##*/}
    unzip -p "$folder.zip" "$name/setup.exe" | cmp -s - "$folder/setup.exe" || fail "the zip's setup.exe is not the folder's"
    unzip -p "$folder.zip" "$name/Quillon/setup.exe" | cmp -s - "$folder/Quillon/setup.exe" ||
        fail "the zip's Quillon/setup.exe is not the folder's"
    # One changed byte of the code: the signature no longer holds.
    cp "$folder/Quillon/setup.exe" tampered.exe && printf '\xc2' | dd of=tampered.exe bs=1 seek=512 conv=notrunc 2>/dev/null
    osslsigncode verify -CAfile "$pki/ca.crt" -TSA-CAfile "$pki/tsa-ca.crt" -in tampered.exe > "$log" 2>&1
    local rc=$?
    [ $rc -eq 1 ] || fail "a changed byte verifies with exit code $rc"
    [ -z "$(ls -A tmp)" ] || fail "temporary files left: $(ls -A tmp)"
}

# --- Signed from a PKCS#12 file and its password file, stamped. ---
new_case pkcs12_stamped
output=$(TMPDIR=$PWD/tmp "$tool" --pkcs12 "$pki/signer.p12" --password-file "$pki/password.txt" \
    --timestamp "$tsa_url" --ca-file "$pki/authorities.crt" library wizard setup.exe out/Quillon-1.0 2>&1
    echo "exit $?")
[ "$output" = "package: out/Quillon-1.0
zip:     out/Quillon-1.0.zip
signed:  setup.exe and Quillon/setup.exe (SHA-256, timestamp from $tsa_url)
exit 0" ] || fail "output: $output"
check_signed out/Quillon-1.0 stamped

# --- Signed with the password from the environment, unstamped: osslsigncode reads it from a file
# only the user can read, which is gone afterwards, and never sees it in its arguments or its
# environment. A stand-in osslsigncode first in PATH records what each call got. ---
new_case pkcs12_password_from_environment
mkdir bin
cat > bin/osslsigncode <<EOF
#!/bin/bash
{
    printf 'args: %s\n' "\$*"
    printf 'environment: %s\n' "\${QUILLON_SIGN_PASSWORD-none}"
    for ((i = 1; i < \$#; i++)); do
        [ "\${!i}" = -readpass ] && next=\$((i + 1)) && stat -c 'password file: %a' "\${!next}"
    done
} >> "$PWD/calls.log"
exec $(command -v osslsigncode) "\$@"
EOF
chmod +x bin/osslsigncode
password=$(head -n 1 "$pki/password.txt")
output=$(PATH=$PWD/bin:$PATH TMPDIR=$PWD/tmp QUILLON_SIGN_PASSWORD=$password "$tool" --pkcs12 "$pki/signer.p12" \
    --ca-file "$pki/authorities.crt" library wizard setup.exe out/Quillon-1.0 2>&1; echo "exit $?")
[ "$output" = "package: out/Quillon-1.0
zip:     out/Quillon-1.0.zip
signed:  setup.exe and Quillon/setup.exe (SHA-256, no timestamp)
exit 0" ] || fail "output: $output"
check_signed out/Quillon-1.0 unstamped
calls=$(sed -E 's#'"$PWD"'/tmp/[^/ ]+/#PRIVATE/#g; s#'"$pki"'#PKI#g' calls.log)
[ "$calls" = "args: sign -pkcs12 PKI/signer.p12 -readpass PRIVATE/password -h sha256 -in setup.exe -out PRIVATE/signed.exe
environment: none
password file: 600
args: verify -CAfile PKI/authorities.crt -TSA-CAfile PKI/authorities.crt -in out/Quillon-1.0/setup.exe
environment: none
args: verify -CAfile PKI/authorities.crt -TSA-CAfile PKI/authorities.crt -in out/Quillon-1.0/Quillon/setup.exe
environment: none" ] || fail "osslsigncode's calls: $calls"
! grep -qF "$password" calls.log || fail "the password reached osslsigncode's arguments or environment"

# --- Signed with a PEM certificate chain and an encrypted PEM key, stamped. ---
new_case pem_stamped
output=$(TMPDIR=$PWD/tmp "$tool" --cert "$pki/signer-chain.crt" --key "$pki/signer-encrypted.key" \
    --password-file "$pki/password.txt" --timestamp "$tsa_url" --ca-file "$pki/authorities.crt" \
    library wizard setup.exe out/Quillon-1.0 2>&1; echo "exit $?")
[ "$output" = "package: out/Quillon-1.0
zip:     out/Quillon-1.0.zip
signed:  setup.exe and Quillon/setup.exe (SHA-256, timestamp from $tsa_url)
exit 0" ] || fail "output: $output"
check_signed out/Quillon-1.0 stamped

# --- Failures. Each line: a case name, the signing arguments (words for eval), the value of
# QUILLON_SIGN_PASSWORD, the exit code and the first line of standard error after "make_package: ".
# Nothing may reach standard output and no file may be left behind, in the case's folder or in
# TMPDIR. ---
p12="--pkcs12 $pki/signer.p12 --password-file $pki/password.txt"
while IFS='|' read -r name signing password code message; do
    new_case "$name"
    eval "options=($signing)"
    eval "expected=\"make_package: $message\""
    before=$(find . | LC_ALL=C sort)
    TMPDIR=$PWD/tmp QUILLON_SIGN_PASSWORD=$password "$tool" "${options[@]}" library wizard setup.exe out/pkg \
        < /dev/null > "$work/stdout" 2> "$work/stderr"
    rc=$?
    [ "$rc [$(cat "$work/stdout")] $(head -n 1 "$work/stderr")" = "$code [] $expected" ] ||
        fail "exit code $rc, stdout [$(cat "$work/stdout")], stderr: $(cat "$work/stderr")"
    [ "$(find . | LC_ALL=C sort)" = "$before" ] || fail "files left behind: $(find out tmp -mindepth 1)"
done <<'EOF'
wrong_password|--pkcs12 $pki/signer.p12 --password-file $pki/wrong-password.txt||1|signing setup.exe with $pki/signer.p12 failed; osslsigncode says:
wrong_password_from_environment|--pkcs12 $pki/signer.p12|open sesame|1|signing setup.exe with $pki/signer.p12 failed; osslsigncode says:
key_of_another_certificate|--cert $pki/tsa.crt --key $pki/signer.key||1|signing setup.exe with $pki/tsa.crt failed; osslsigncode says:
timestamp_unreachable|$p12 --timestamp $closed_url --ca-file $pki/authorities.crt||1|timestamp from $closed_url failed; osslsigncode says:
signer_unknown_to_the_ca_file|$p12 --ca-file $pki/tsa-ca.crt||1|verification of the signature on out/pkg/setup.exe failed; osslsigncode says:
signer_unknown_to_the_system|$p12||1|verification of the signature on out/pkg/setup.exe failed; osslsigncode says:
time_stamper_unknown_to_the_ca_file|$p12 --timestamp $tsa_url --ca-file $pki/ca.crt||1|verification of the timestamp on out/pkg/setup.exe failed; osslsigncode says:
certificate_missing|--pkcs12 $pki/nowhere.p12 --password-file $pki/password.txt||1|file not found: $pki/nowhere.p12
password_file_missing|--pkcs12 $pki/signer.p12 --password-file $pki/nowhere.txt||1|file not found: $pki/nowhere.txt
pkcs12_without_password|--pkcs12 $pki/signer.p12||2|--pkcs12 needs its password: --password-file FILE or QUILLON_SIGN_PASSWORD
password_twice|$p12|x|2|the password comes from --password-file or from QUILLON_SIGN_PASSWORD, not both
pkcs12_and_pem|$p12 --cert $pki/signer.crt --key $pki/signer.key||2|--pkcs12 and --cert/--key exclude each other
cert_without_key|--cert $pki/signer.crt||2|--cert and --key go together
key_without_cert|--key $pki/signer.key||2|--cert and --key go together
timestamp_without_certificate|--timestamp $tsa_url||2|--password-file, --timestamp and --ca-file need a certificate: --pkcs12 or --cert and --key
option_without_value|--timestamp ''||2|--timestamp needs a value
unknown_option|--sign $pki/signer.p12||2|unknown option --sign
EOF

echo "$failures failed"
exit $failures
