# Throwaway certificates for signing packages, and a time-stamp authority that serves them on
# 127.0.0.1: what the signing test and the signed sample run share. Source it; it defines
# functions only.
#
# make_test_certificates FOLDER writes into FOLDER (which must exist):
#   ca.crt, ca.key            a code-signing root, "Quillon Test Code Signing Root"
#   tsa-ca.crt, tsa-ca.key    a time-stamping root of its own, so that a CA file can know one of
#                             them and not the other
#   signer.crt, signer.key    "Quillon Test Publisher", a code-signing certificate of ca.crt
#   signer.p12                signer.crt, its key and ca.crt, protected by password.txt
#   signer-encrypted.key      signer.key, encrypted with password.txt
#   signer-chain.crt          signer.crt followed by ca.crt
#   tsa.crt, tsa.key, tsa.cnf the time-stamp authority's certificate of tsa-ca.crt, its key, and
#                             the [tsa] section `openssl ts -reply` needs
#   authorities.crt           ca.crt and tsa-ca.crt
#   password.txt              a password with a blank and characters a shell would take apart
# It prints openssl's output only when a step fails, and then returns 1.
#
# start_timestamp_server FOLDER SECONDS serves FOLDER's time-stamp authority on a free port of
# 127.0.0.1 for at most SECONDS, in the background; it sets timestamp_url and
# timestamp_server_pid (kill it when done), or prints the server's words and returns 1.

test_authority_tools=$(dirname "$(realpath "${BASH_SOURCE[0]}")")

make_test_certificates() {
    local folder
    folder=$(realpath "$1") || return 1
    (
        cd "$folder" || exit 1
        cat > pki.cnf <<'EOF'
[req]
distinguished_name = dn
prompt = no
[dn]
CN = unused
[authority]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[code_signing]
basicConstraints = critical,CA:false
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[time_stamping]
basicConstraints = critical,CA:false
keyUsage = critical,digitalSignature
extendedKeyUsage = critical,timeStamping
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
        cat > tsa.cnf <<EOF
[tsa]
default_tsa = test_tsa
[test_tsa]
serial = $folder/tsa-serial
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha384, sha512, sha1
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
        echo 01 > tsa-serial
        printf '%s\n' 'open $esame; "7"' > password.txt
        {
            openssl req -config pki.cnf -x509 -newkey rsa:2048 -nodes -days 30 -extensions authority \
                -subj "/CN=Quillon Test Code Signing Root" -keyout ca.key -out ca.crt &&
            openssl req -config pki.cnf -x509 -newkey rsa:2048 -nodes -days 30 -extensions authority \
                -subj "/CN=Quillon Test Time Stamping Root" -keyout tsa-ca.key -out tsa-ca.crt &&
            openssl req -config pki.cnf -newkey rsa:2048 -nodes -subj "/CN=Quillon Test Publisher" \
                -keyout signer.key -out signer.csr &&
            openssl x509 -req -in signer.csr -CA ca.crt -CAkey ca.key -set_serial 2 -days 30 \
                -extfile pki.cnf -extensions code_signing -out signer.crt &&
            openssl req -config pki.cnf -newkey rsa:2048 -nodes -subj "/CN=Quillon Test Time Stamps" \
                -keyout tsa.key -out tsa.csr &&
            openssl x509 -req -in tsa.csr -CA tsa-ca.crt -CAkey tsa-ca.key -set_serial 3 -days 30 \
                -extfile pki.cnf -extensions time_stamping -out tsa.crt &&
            openssl pkcs12 -export -in signer.crt -inkey signer.key -certfile ca.crt \
                -passout file:password.txt -out signer.p12 &&
            openssl pkey -in signer.key -aes256 -passout file:password.txt -out signer-encrypted.key &&
            cat signer.crt ca.crt > signer-chain.crt &&
            cat ca.crt tsa-ca.crt > authorities.crt
        } > openssl.log 2>&1 || { cat openssl.log; exit 1; }
    )
}

start_timestamp_server() {
    local folder seconds=$2
    folder=$(realpath "$1") || return 1
    rm -f "$folder/port"
    python3 "$test_authority_tools/timestamp_server.py" "$folder/tsa.cnf" "$folder/tsa.key" \
        "$folder/tsa.crt" "$folder/port" "$seconds" 2> "$folder/server.log" &
    timestamp_server_pid=$!
    local i
    for ((i = 0; i < 100; i++)); do
        [ -s "$folder/port" ] && break
        sleep 0.1
    done
    [ -s "$folder/port" ] || { cat "$folder/server.log"; return 1; }
    timestamp_url=http://127.0.0.1:$(cat "$folder/port")/
}
