#!/bin/bash
# package_test.sh MAKE_PACKAGE FIXTURES: the package command on a good package and on each kind of
# broken one. Every case works in its own copy of the fixtures; the exit code is the number of
# failed cases.
set -u
tool=$(realpath "$1")
fixtures=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL $case_name: $*"; failures=$((failures + 1)); }

here=$(dirname "$(realpath "$0")")

# write_pe MACHINE MAGIC SUBSYSTEM [LENGTH]: setup.exe as a whole small PE image with those header
# fields, cut after LENGTH bytes when given. Each kind is written once: starting python costs more
# than a case.
mkdir "$work/pe"
write_pe() {
    local kind
    kind=$work/pe/$(IFS=_; echo "$*")
    [ -f "$kind" ] || python3 "$here/write_pe.py" "$@" > "$kind" || exit 1
    cp "$kind" setup.exe
}

# new_case NAME: a fresh folder with library/, wizard/ and a good setup.exe; the case works there.
new_case() {
    case_name=$1
    mkdir -p "$work/$case_name"
    cd "$work/$case_name" || exit 1
    cp -R "$fixtures/library" "$fixtures/wizard" .
    mkdir library/examples out
    write_pe 0x14c 0x10b 2
}

# --- The good package, its names in other letter cases and with a file of the bare wizard name
# (the uninstall's QuillonWiz.* removes it too): the zip's entries, names as given, each folder
# with its own, in this order; the package folder holds what the zip holds: the sources' bytes. ---
new_case good_package
mv wizard/VCWizards/QuillonWiz wizard/VCWizards/quillonwiz && mv library/Help/Quillon.HxS library/Help/quillon.hxs
mv wizard/vcprojects/QuillonWiz.vsz wizard/vcprojects/QUILLONWIZ.VSZ && printf 'x' > wizard/vcprojects/QuillonWiz
output=$(SOURCE_DATE_EPOCH=1700000000 "$tool" library wizard setup.exe out/Quillon-1.0 2>&1; echo "exit $?")
[ "$output" = $'package: out/Quillon-1.0\nzip:     out/Quillon-1.0.zip\nsigned:  no, the package is unsigned\nexit 0' ] || fail "output: $output"
expected=$(printf 'Quillon-1.0/%s\n' '' AppWizard/ AppWizard/VCWizards/ \
    AppWizard/VCWizards/quillonwiz/ AppWizard/VCWizards/quillonwiz/Scripts/ \
    AppWizard/VCWizards/quillonwiz/Scripts/1033/ AppWizard/VCWizards/quillonwiz/Scripts/1033/default.js \
    AppWizard/vcprojects/ AppWizard/vcprojects/{QUILLONWIZ.VSZ,QuillonWiz,QuillonWiz.vsdir} \
    Quillon/ Quillon/Help/ Quillon/Help/Quillon.Hx{A,C,I,T} Quillon/Help/quillon.hxs Quillon/examples/ Quillon/include/ \
    Quillon/include/quillon/ Quillon/include/quillon/quillon.h Quillon/lib/ Quillon/lib/quillon.lib \
    Quillon/readme.txt Quillon/setup.exe setup.exe)
listing=$(unzip -Z1 out/Quillon-1.0.zip)
[ "$listing" = "$expected" ] || fail "zip listing: $listing"
mkdir unzipped && (cd unzipped && unzip -q ../out/Quillon-1.0.zip) &&
    diff -r unzipped/Quillon-1.0 out/Quillon-1.0 && diff -r -x setup.exe library out/Quillon-1.0/Quillon &&
    diff -r wizard out/Quillon-1.0/AppWizard && cmp setup.exe out/Quillon-1.0/setup.exe &&
    cmp setup.exe out/Quillon-1.0/Quillon/setup.exe || fail "the package's bytes differ from the sources'"
zip_time=$(unzip -Z -T out/Quillon-1.0.zip Quillon-1.0/setup.exe | awk '{print $7}')
[ "$zip_time" = 20231114.221320 ] || fail "zip entry time: $zip_time, not 2023-11-14 22:13:20 UTC"
mv out/Quillon-1.0.zip first.zip && rm -rf out/Quillon-1.0
SOURCE_DATE_EPOCH=1700000000 "$tool" library wizard setup.exe out/Quillon-1.0 > /dev/null 2>&1
cmp -s first.zip out/Quillon-1.0.zip || fail "a second run gives another zip"

# --- Refusals. Each line: a case name, the shell command that breaks its copy (it may set other
# arguments), the message ("PE:" stands for $pe). The command must exit with 1, print exactly
# "make_package: MESSAGE" on standard error and nothing on standard output, and leave no file
# behind. ---
pe='setup.exe is not a PE32 (i386) GUI program:'
while IFS='|' read -r name change message; do
    new_case "$name"
    args=(library wizard setup.exe out/pkg)
    eval "$change"
    before=$(find . | LC_ALL=C sort)
    "$tool" "${args[@]}" < /dev/null > "$work/stdout" 2> "$work/stderr"; rc=$?
    [ "$rc [$(cat "$work/stdout")] $(cat "$work/stderr")" = "1 [] make_package: ${message/#PE:/$pe}" ] ||
        fail "exit code $rc, stdout [$(cat "$work/stdout")], stderr: $(cat "$work/stderr")"
    [ "$(find . | LC_ALL=C sort)" = "$before" ] || fail "files left behind"
done <<'EOF'
no_wizard_folder|mv wizard/VCWizards/QuillonWiz wizard/VCWizards/QuillonWizard|no wizard folder VCWizards\QuillonWiz in wizard
wizard_folder_is_a_file|rm -r wizard/VCWizards/QuillonWiz; touch wizard/VCWizards/QuillonWiz|no wizard folder VCWizards\QuillonWiz in wizard
no_vcwizards_folder|rm -r wizard/VCWizards|no VCWizards folder in the wizard folder wizard
no_vcprojects_folder|rm -r wizard/vcprojects|no vcprojects folder in the wizard folder wizard
no_project_file|cd wizard/vcprojects; rm QuillonWiz.*; touch QuillonWizard.vsz QuillonWiz; mkdir QuillonWiz.dir; cd ../..|no QuillonWiz.* project file in wizard/vcprojects
stray_project_file|touch wizard/vcprojects/Other.vsz|vcprojects\Other.vsz is not a QuillonWiz.* file; the uninstall would leave it behind
stray_project_folder|mkdir wizard/vcprojects/QuillonWiz.extra|vcprojects\QuillonWiz.extra is not a QuillonWiz.* file; the uninstall would leave it behind
stray_wizard_folder|mkdir wizard/VCWizards/OtherWiz|VCWizards\OtherWiz is outside VCWizards\QuillonWiz; the uninstall would leave it behind
help_files_missing|rm library/Help/Quillon.HxT library/Help/Quillon.HxA|help files missing in library: Help\Quillon.HxT Help\Quillon.HxA
help_file_is_a_folder|rm library/Help/Quillon.HxC; mkdir library/Help/Quillon.HxC|help files missing in library: Help\Quillon.HxC
no_help_folder|rm -r library/Help|no Help folder in the library folder library
no_library_folder|args[0]=nowhere|library folder not found: nowhere
no_wizard_argument_folder|args[1]=nowhere|wizard folder not found: nowhere
names_differ_in_case|echo other > library/include/quillon/QUILLON.H|names that differ only in case in library: ./include/quillon/QUILLON.H and ./include/quillon/quillon.h
library_has_setup_exe|touch library/Setup.exe|the library folder library holds a setup.exe of its own
output_exists|mkdir out/old; args[3]=out/old|out/old exists already; remove it first
output_inside_library|args[3]=library/pkg|the package folder library/pkg must not lie inside the library or the wizard folder
setup_missing|rm setup.exe|setup.exe not found: setup.exe
setup_not_mz|echo 'this is no program' > setup.exe|PE: no MZ header
setup_no_pe_signature|sed -i s/PE/NE/ setup.exe|PE: no PE signature
setup_x64|write_pe 0x8664 0x10b 2|PE: machine 0x8664, not 0x14c (i386)
setup_pe32plus|write_pe 0x14c 0x20b 2|PE: optional header magic 0x20b, not 0x10b (PE32)
setup_console|write_pe 0x14c 0x10b 3|PE: subsystem 3, not 2 (Windows GUI)
setup_cut_in_mz|write_pe 0x14c 0x10b 2 62|PE: the file ends inside the MZ header
setup_cut_in_coff|write_pe 0x14c 0x10b 2 69|PE: the file ends inside the PE header
setup_cut_in_optional|write_pe 0x14c 0x10b 2 157|PE: the file ends inside the optional header
EOF

new_case usage
"$tool" library wizard setup.exe > /dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "exit code $rc, expected 2"

echo "$failures failed"
exit $failures
