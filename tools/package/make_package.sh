#!/bin/bash
# make_package.sh [SIGNING OPTIONS] LIBRARY WIZARD SETUP_EXE OUTPUT
#
# Lays out a Quillon package in the new folder OUTPUT and zips it into OUTPUT.zip:
#   OUTPUT/setup.exe                  the setup program the user starts
#   OUTPUT/Quillon/                   LIBRARY's content, its Help folder and a copy of setup.exe
#   OUTPUT/AppWizard/vcprojects/      WIZARD/vcprojects
#   OUTPUT/AppWizard/VCWizards/       WIZARD/VCWizards
# and refuses, naming what is wrong and exiting with 1, a package that setup.exe would install
# badly or could not remove again. Usage errors exit with 2. Names are compared as Windows does,
# without regard to case. With SOURCE_DATE_EPOCH set, every file and folder gets that time, so
# the zip of an unsigned package is the same byte for byte from one run to the next.
#
# With a certificate, both copies of setup.exe are signed (SHA-256, with osslsigncode), stamped by
# an RFC 3161 time-stamp authority when one is given, and verified before the zip is made. Any
# failure after the checks removes the package folder and the zip again.
set -u -o pipefail

readonly HELP_FILES=(Quillon.HxS Quillon.HxI Quillon.HxC Quillon.HxT Quillon.HxA)
readonly WIZARD_NAME=QuillonWiz

usage() {
    [ $# -eq 0 ] || echo "make_package: $*" >&2
    echo "usage: make_package.sh [SIGNING OPTIONS] LIBRARY WIZARD SETUP_EXE OUTPUT" >&2
    echo "  LIBRARY   folder with the headers, the libraries and Help\\ (the five Quillon.Hx? files)" >&2
    echo "  WIZARD    folder with vcprojects\\ (${WIZARD_NAME}.* files) and VCWizards\\${WIZARD_NAME}\\" >&2
    echo "  SETUP_EXE the built setup.exe" >&2
    echo "  OUTPUT    the package folder to create; OUTPUT.zip is written beside it" >&2
    echo "signing options (without a certificate the package is unsigned):" >&2
    echo "  --pkcs12 FILE          the code-signing certificate and its key in a PKCS#12 file" >&2
    echo "  --cert FILE --key FILE or the certificate (its chain after it) and the key as PEM files" >&2
    echo "  --password-file FILE   the password of the PKCS#12 file or of the key, alone in the file;" >&2
    echo "                         else the environment variable QUILLON_SIGN_PASSWORD" >&2
    echo "  --timestamp URL        the RFC 3161 time-stamp authority that stamps the signature" >&2
    echo "  --ca-file FILE         the authorities (PEM) the signature and its timestamp are verified" >&2
    echo "                         against; else osslsigncode's default, the system's" >&2
    exit 2
}

refuse() {
    echo "make_package: $*" >&2
    exit 1
}

# The entry of FOLDER named NAME regardless of case, or nothing.
entry_named() {
    find "$1" -mindepth 1 -maxdepth 1 -iname "$2" -print -quit
}

# Unsigned little-endian number of WIDTH bytes at OFFSET in FILE (empty past the end).
read_le() {
    local file=$1 offset=$2 width=$3
    local bytes
    bytes=$(od -An -v -tu1 -j "$offset" -N "$width" "$file" | tr -s ' \n' ' ')
    read -r -a bytes <<< "$bytes"
    [ "${#bytes[@]}" -eq "$width" ] || return 1
    local value=0 i
    for ((i = width - 1; i >= 0; i--)); do
        value=$((value * 256 + bytes[i]))
    done
    echo "$value"
}

# setup.exe must be what the uninstall command will start on a 32-bit Windows: a PE32 image for
# i386 with the GUI subsystem.
check_setup_exe() {
    local exe=$1 what="$1 is not a PE32 (i386) GUI program"
    [ -f "$exe" ] || refuse "setup.exe not found: $exe"
    [ "$(read_le "$exe" 0 2)" = $((0x5A4D)) ] || refuse "$what: no MZ header"
    local pe
    pe=$(read_le "$exe" 60 4) || refuse "$what: the file ends inside the MZ header"
    [ "$(read_le "$exe" "$pe" 4)" = $((0x4550)) ] || refuse "$what: no PE signature"
    local machine magic subsystem
    machine=$(read_le "$exe" $((pe + 4)) 2) || refuse "$what: the file ends inside the PE header"
    [ "$machine" = $((0x14C)) ] || refuse "$what: machine $(printf '0x%x' "$machine"), not 0x14c (i386)"
    magic=$(read_le "$exe" $((pe + 24)) 2) || refuse "$what: the file ends inside the PE header"
    [ "$magic" = $((0x10B)) ] || refuse "$what: optional header magic $(printf '0x%x' "$magic"), not 0x10b (PE32)"
    subsystem=$(read_le "$exe" $((pe + 24 + 68)) 2) || refuse "$what: the file ends inside the optional header"
    [ "$subsystem" = 2 ] || refuse "$what: subsystem $subsystem, not 2 (Windows GUI)"
}

check_library() {
    local library=$1
    [ -d "$library" ] || refuse "library folder not found: $library"
    local help
    help=$(entry_named "$library" Help)
    [ -n "$help" ] && [ -d "$help" ] || refuse "no Help folder in the library folder $library"
    local missing=() name file
    for name in "${HELP_FILES[@]}"; do
        file=$(entry_named "$help" "$name")
        [ -n "$file" ] && [ -f "$file" ] || missing+=("Help\\$name")
    done
    [ ${#missing[@]} -eq 0 ] || refuse "help files missing in $library: ${missing[*]}"
}

# The uninstall removes VCWizards\QuillonWiz\ and the files QuillonWiz.* in vcprojects, nothing
# else: whatever else the wizard folder held would stay in the IDE for good.
check_wizard() {
    local wizard=$1
    [ -d "$wizard" ] || refuse "wizard folder not found: $wizard"
    local projects wizards
    projects=$(entry_named "$wizard" vcprojects)
    [ -n "$projects" ] && [ -d "$projects" ] || refuse "no vcprojects folder in the wizard folder $wizard"
    wizards=$(entry_named "$wizard" VCWizards)
    [ -n "$wizards" ] && [ -d "$wizards" ] || refuse "no VCWizards folder in the wizard folder $wizard"
    local folder
    folder=$(entry_named "$wizards" "$WIZARD_NAME")
    [ -n "$folder" ] && [ -d "$folder" ] || refuse "no wizard folder VCWizards\\$WIZARD_NAME in $wizard"
    [ -n "$(find "$projects" -mindepth 1 -maxdepth 1 -type f -iname "$WIZARD_NAME.*" -print -quit)" ] ||
        refuse "no $WIZARD_NAME.* project file in $projects"
    local stray
    # The removal's pattern QuillonWiz.* also matches the bare name, as FindFirstFileA does.
    stray=$(find "$projects" -mindepth 1 -maxdepth 1 ! \( -type f \( -iname "$WIZARD_NAME.*" -o -iname "$WIZARD_NAME" \) \) -printf '%f\n' |
            LC_ALL=C sort | head -n 1)
    [ -z "$stray" ] || refuse "vcprojects\\$stray is not a $WIZARD_NAME.* file; the uninstall would leave it behind"
    stray=$(find "$wizards" -mindepth 1 -maxdepth 1 ! -iname "$WIZARD_NAME" -printf '%f\n' | LC_ALL=C sort | head -n 1)
    [ -z "$stray" ] || refuse "VCWizards\\$stray is outside VCWizards\\$WIZARD_NAME; the uninstall would leave it behind"
}

# Windows cannot hold two names that differ only in case in one folder: one would overwrite the
# other during the install.
check_case_clashes() {
    local clash
    clash=$(cd "$1" && find . -mindepth 1 | LC_ALL=C sort | awk '{ k = tolower($0); if (k in seen) { print seen[k] " and " $0; exit } seen[k] = $0 }')
    [ -z "$clash" ] || refuse "names that differ only in case in $1: $clash"
}

# The message names the step; osslsigncode's own words, which say what went wrong, follow indented.
osslsigncode_failed() {
    {
        echo "make_package: $1; osslsigncode says:"
        sed 's/^/  /' "$2"
    } >&2
    exit 1
}

# Signs SETUP_EXE into the private folder, and stamps it there.
sign_setup_exe() {
    local password=()
    if [ -n "$password_file" ]; then
        password=(-readpass "$password_file")
    elif [ -n "$sign_password" ]; then
        # printf is a builtin: the password reaches the file without passing through any argv.
        (umask 077 && printf '%s' "$sign_password" > "$private/password") ||
            refuse "cannot write the password to a private file in $private"
        password=(-readpass "$private/password")
    fi
    local key=(-pkcs12 "$sign_pkcs12")
    [ -n "$sign_pkcs12" ] || key=(-certs "$sign_cert" -key "$sign_key")
    osslsigncode sign "${key[@]}" "${password[@]}" -h sha256 -in "$setup_exe" -out "$private/signed.exe" \
        < /dev/null > "$private/sign.log" 2>&1 ||
        osslsigncode_failed "signing $setup_exe with ${sign_pkcs12:-$sign_cert} failed" "$private/sign.log"
    [ -n "$timestamp_url" ] || return 0
    osslsigncode add -h sha256 -ts "$timestamp_url" -in "$private/signed.exe" -out "$private/stamped.exe" \
        < /dev/null > "$private/timestamp.log" 2>&1 &&
        mv "$private/stamped.exe" "$private/signed.exe" ||
        osslsigncode_failed "timestamp from $timestamp_url failed" "$private/timestamp.log"
}

# osslsigncode's verify exits with 0 even when the timestamp's signature does not verify: the
# lines it prints decide.
verify_signature() {
    local exe=$1 log=$private/verify.log authorities=()
    [ -z "$ca_file" ] || authorities=(-CAfile "$ca_file" -TSA-CAfile "$ca_file")
    osslsigncode verify "${authorities[@]}" -in "$exe" < /dev/null > "$log" 2>&1 &&
        grep -qx 'Signature verification: ok' "$log" ||
        osslsigncode_failed "verification of the signature on $exe failed" "$log"
    [ -z "$timestamp_url" ] || grep -qx 'Timestamp Server Signature verification: ok' "$log" ||
        osslsigncode_failed "verification of the timestamp on $exe failed" "$log"
}

# No program this script starts gets the password in its environment.
sign_password=${QUILLON_SIGN_PASSWORD:-}
unset QUILLON_SIGN_PASSWORD
sign_pkcs12='' sign_cert='' sign_key='' password_file='' timestamp_url='' ca_file=''
while [ $# -gt 0 ]; do
    case $1 in
        --pkcs12 | --cert | --key | --password-file | --timestamp | --ca-file)
            [ $# -ge 2 ] && [ -n "$2" ] || usage "$1 needs a value"
            case $1 in
                --pkcs12) sign_pkcs12=$2 ;;
                --cert) sign_cert=$2 ;;
                --key) sign_key=$2 ;;
                --password-file) password_file=$2 ;;
                --timestamp) timestamp_url=$2 ;;
                --ca-file) ca_file=$2 ;;
            esac
            shift 2 ;;
        --) shift; break ;;
        -*) usage "unknown option $1" ;;
        *) break ;;
    esac
done
[ $# -eq 4 ] || usage
library=$1 wizard=$2 setup_exe=$3 output=${4%/}
[ -n "$output" ] || usage

signing=''
if [ -n "$sign_pkcs12$sign_cert$sign_key" ]; then
    signing=1
    [ -z "$sign_pkcs12" ] || [ -z "$sign_cert$sign_key" ] || usage "--pkcs12 and --cert/--key exclude each other"
    [ -n "$sign_pkcs12" ] || { [ -n "$sign_cert" ] && [ -n "$sign_key" ]; } || usage "--cert and --key go together"
    [ -z "$password_file" ] || [ -z "$sign_password" ] ||
        usage "the password comes from --password-file or from QUILLON_SIGN_PASSWORD, not both"
    [ -z "$sign_pkcs12" ] || [ -n "$password_file" ] || [ -n "$sign_password" ] ||
        usage "--pkcs12 needs its password: --password-file FILE or QUILLON_SIGN_PASSWORD"
elif [ -n "$password_file$timestamp_url$ca_file" ]; then
    usage "--password-file, --timestamp and --ca-file need a certificate: --pkcs12 or --cert and --key"
fi

check_setup_exe "$setup_exe"
check_library "$library"
check_wizard "$wizard"
check_case_clashes "$library"
check_case_clashes "$wizard"
# The package holds setup.exe beside the library's content: a library file of that name would
# be replaced by the one the uninstall command runs.
[ -z "$(entry_named "$library" setup.exe)" ] || refuse "the library folder $library holds a setup.exe of its own"
inside() {
    case "$(realpath -m "$1")/" in "$(realpath -m "$2")"/*) return 0 ;; esac
    return 1
}
! inside "$output" "$library" && ! inside "$output" "$wizard" ||
    refuse "the package folder $output must not lie inside the library or the wizard folder"
[ ! -e "$output" ] || refuse "$output exists already; remove it first"
[ ! -e "$output.zip" ] || refuse "$output.zip exists already; remove it first"
command -v zip >/dev/null || refuse "zip is not installed"
if [ -n "$signing" ]; then
    command -v osslsigncode >/dev/null || refuse "osslsigncode is not installed"
    for file in "$sign_pkcs12" "$sign_cert" "$sign_key" "$password_file" "$ca_file"; do
        [ -z "$file" ] || [ -f "$file" ] || refuse "file not found: $file"
    done
fi

# From here on whatever ends the run before the zip is complete takes the package away again.
private='' made_output='' finished=''
on_exit() {
    [ -z "$private" ] || rm -rf "$private"
    [ -n "$finished" ] || [ -z "$made_output" ] || rm -rf "$output" "$output.zip"
}
trap on_exit EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

package_exe=$setup_exe
if [ -n "$signing" ]; then
    private=$(mktemp -d) || refuse "cannot create a private temporary folder"
    sign_setup_exe
    package_exe=$private/signed.exe
fi

made_output=1
mkdir -p "$output" || refuse "cannot create $output"
# Links are followed: the Windows machine gets the files they point at.
cp "$package_exe" "$output/setup.exe" &&
    mkdir "$output/Quillon" "$output/AppWizard" &&
    cp -RL "$library/." "$output/Quillon/" &&
    cp "$package_exe" "$output/Quillon/setup.exe" &&
    cp -RL "$(entry_named "$wizard" vcprojects)" "$output/AppWizard/vcprojects" &&
    cp -RL "$(entry_named "$wizard" VCWizards)" "$output/AppWizard/VCWizards" ||
    refuse "copying into $output failed"

# Fixed modes (and times, when asked for) and sorted entries: the zip depends on the content only.
find "$output" -type d -exec chmod 755 {} + && find "$output" -type f -exec chmod 644 {} + ||
    refuse "cannot set the modes in $output"
if [ -n "$signing" ]; then
    verify_signature "$output/setup.exe"
    verify_signature "$output/Quillon/setup.exe"
fi
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    find "$output" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} + || refuse "cannot set the times in $output"
fi
zip_path=$(cd "$(dirname "$output.zip")" && pwd)/$(basename "$output.zip")
(cd "$(dirname "$output")" && find "$(basename "$output")" | LC_ALL=C sort |
     TZ=UTC zip -X -q -9 "$zip_path" -@) || refuse "zip of $output failed"
finished=1
echo "package: $output"
echo "zip:     $output.zip"
if [ -z "$signing" ]; then
    echo "signed:  no, the package is unsigned"
elif [ -n "$timestamp_url" ]; then
    echo "signed:  setup.exe and Quillon/setup.exe (SHA-256, timestamp from $timestamp_url)"
else
    echo "signed:  setup.exe and Quillon/setup.exe (SHA-256, no timestamp)"
fi
