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

fail() {
    echo "FAIL $case_name: $*"
    failures=$((failures + 1))
}

# write_pe FILE MACHINE MAGIC SUBSYSTEM [LENGTH]: a PE header by hand: "MZ", e_lfanew 0x40 at
# 0x3c, "PE\0\0" at 0x40, the machine at 0x44, the optional header magic at 0x58 and the
# subsystem at 0x58 + 68; zeros elsewhere, LENGTH bytes in all (256 unless given).
write_pe() {
    local file=$1 machine=$2 magic=$3 subsystem=$4 length=${5:-256}
    head -c 256 /dev/zero > "$file"
    patch_bytes "$file" 0 '\x4d\x5a'
    patch_bytes "$file" $((0x3c)) '\x40\x00\x00\x00'
    patch_bytes "$file" $((0x40)) '\x50\x45\x00\x00'
    patch_bytes "$file" $((0x44)) "$machine"
    patch_bytes "$file" $((0x54)) '\xe0\x00\x02\x01'
    patch_bytes "$file" $((0x58)) "$magic"
    patch_bytes "$file" $((0x58 + 68)) "$subsystem"
    truncate -s "$length" "$file"
}

patch_bytes() {
    printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# new_case NAME: a fresh folder with library/, wizard/ and a good setup.exe; the case works there.
new_case() {
    case_name=$1
    dir=$work/$case_name
    mkdir -p "$dir"
    cp -R "$fixtures/library" "$fixtures/wizard" "$dir/"
    mkdir "$dir/library/examples"
    write_pe "$dir/setup.exe" '\x4c\x01' '\x0b\x01' '\x02\x00'
    cd "$dir" || exit 1
}

# expect_refusal MESSAGE [ARGS...]: the command fails with exit code 1, prints exactly MESSAGE on
# standard error and nothing on standard output, and leaves neither the folder nor the zip.
expect_refusal() {
    local message=$1; shift
    local args=("$@")
    [ ${#args[@]} -gt 0 ] || args=(library wizard setup.exe out/pkg)
    mkdir -p out
    "$tool" "${args[@]}" > stdout 2> stderr
    local rc=$?
    [ $rc -eq 1 ] || fail "exit code $rc, expected 1"
    [ "$(cat stderr)" = "$message" ] || fail "message [$(cat stderr)], expected [$message]"
    [ ! -s stdout ] || fail "output on stdout: $(cat stdout)"
    [ ! -e out/pkg ] && [ ! -e out/pkg.zip ] || fail "a package was left behind"
}

# --- The good package: every file where the program expects it, with the source's bytes. ---
new_case good_package
SOURCE_DATE_EPOCH=1700000000 "$tool" library wizard setup.exe out/Quillon-1.0 > stdout 2> stderr
rc=$?
[ $rc -eq 0 ] || fail "exit code $rc: $(cat stderr)"
[ "$(cat stdout)" = "package: out/Quillon-1.0
zip:     out/Quillon-1.0.zip" ] || fail "stdout: $(cat stdout)"
expected_tree="d AppWizard
d AppWizard/VCWizards
d AppWizard/VCWizards/QuillonWiz
d AppWizard/VCWizards/QuillonWiz/Scripts
d AppWizard/VCWizards/QuillonWiz/Scripts/1033
f AppWizard/VCWizards/QuillonWiz/Scripts/1033/default.js
d AppWizard/vcprojects
f AppWizard/vcprojects/QuillonWiz.vsdir
f AppWizard/vcprojects/QuillonWiz.vsz
d Quillon
d Quillon/Help
f Quillon/Help/Quillon.HxA
f Quillon/Help/Quillon.HxC
f Quillon/Help/Quillon.HxI
f Quillon/Help/Quillon.HxS
f Quillon/Help/Quillon.HxT
d Quillon/examples
d Quillon/include
d Quillon/include/quillon
f Quillon/include/quillon/quillon.h
d Quillon/lib
f Quillon/lib/quillon.lib
f Quillon/readme.txt
f Quillon/setup.exe
f setup.exe"
tree=$(cd out/Quillon-1.0 && find . -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort -k2)
[ "$tree" = "$expected_tree" ] || fail "tree:
$tree"
pairs=("setup.exe setup.exe" "setup.exe Quillon/setup.exe"
       "library/readme.txt Quillon/readme.txt"
       "library/lib/quillon.lib Quillon/lib/quillon.lib"
       "library/include/quillon/quillon.h Quillon/include/quillon/quillon.h"
       "wizard/vcprojects/QuillonWiz.vsz AppWizard/vcprojects/QuillonWiz.vsz"
       "wizard/vcprojects/QuillonWiz.vsdir AppWizard/vcprojects/QuillonWiz.vsdir"
       "wizard/VCWizards/QuillonWiz/Scripts/1033/default.js AppWizard/VCWizards/QuillonWiz/Scripts/1033/default.js")
for e in HxS HxI HxC HxT HxA; do pairs+=("library/Help/Quillon.$e Quillon/Help/Quillon.$e"); done
for pair in "${pairs[@]}"; do
    read -r from to <<< "$pair"
    cmp -s "$from" "out/Quillon-1.0/$to" || fail "$to differs from $from"
done
[ "$(head -c 16 out/Quillon-1.0/Quillon/lib/quillon.lib | od -An -tx1 | tr -d ' \n')" = 514c4942000102ff ] ||
    fail "quillon.lib bytes"
listing=$(unzip -Z1 out/Quillon-1.0.zip)
[ "$listing" = "Quillon-1.0/
Quillon-1.0/AppWizard/
Quillon-1.0/AppWizard/VCWizards/
Quillon-1.0/AppWizard/VCWizards/QuillonWiz/
Quillon-1.0/AppWizard/VCWizards/QuillonWiz/Scripts/
Quillon-1.0/AppWizard/VCWizards/QuillonWiz/Scripts/1033/
Quillon-1.0/AppWizard/VCWizards/QuillonWiz/Scripts/1033/default.js
Quillon-1.0/AppWizard/vcprojects/
Quillon-1.0/AppWizard/vcprojects/QuillonWiz.vsdir
Quillon-1.0/AppWizard/vcprojects/QuillonWiz.vsz
Quillon-1.0/Quillon/
Quillon-1.0/Quillon/Help/
Quillon-1.0/Quillon/Help/Quillon.HxA
Quillon-1.0/Quillon/Help/Quillon.HxC
Quillon-1.0/Quillon/Help/Quillon.HxI
Quillon-1.0/Quillon/Help/Quillon.HxS
Quillon-1.0/Quillon/Help/Quillon.HxT
Quillon-1.0/Quillon/examples/
Quillon-1.0/Quillon/include/
Quillon-1.0/Quillon/include/quillon/
Quillon-1.0/Quillon/include/quillon/quillon.h
Quillon-1.0/Quillon/lib/
Quillon-1.0/Quillon/lib/quillon.lib
Quillon-1.0/Quillon/readme.txt
Quillon-1.0/Quillon/setup.exe
Quillon-1.0/setup.exe" ] || fail "zip listing:
$listing"
mkdir unzipped && (cd unzipped && unzip -q ../out/Quillon-1.0.zip) && diff -r unzipped/Quillon-1.0 out/Quillon-1.0 ||
    fail "the zip does not hold the package folder's bytes"
# 1700000000 is 2023-11-14 22:13:20 UTC.
[ "$(unzip -Z -T out/Quillon-1.0.zip Quillon-1.0/setup.exe | awk '{print $7}')" = 20231114.221320 ] ||
    fail "zip entry time: $(unzip -Z -T out/Quillon-1.0.zip Quillon-1.0/setup.exe)"
mv out/Quillon-1.0.zip first.zip && rm -rf out/Quillon-1.0
SOURCE_DATE_EPOCH=1700000000 "$tool" library wizard setup.exe out/Quillon-1.0 > /dev/null 2>&1
cmp -s first.zip out/Quillon-1.0.zip || fail "a second run gives another zip"

# --- Names as Windows compares them: any case is accepted. ---
new_case names_in_other_case
mv wizard/VCWizards/QuillonWiz wizard/VCWizards/quillonwiz
mv wizard/vcprojects/QuillonWiz.vsz wizard/vcprojects/QUILLONWIZ.VSZ
mv library/Help/Quillon.HxS library/Help/quillon.hxs
printf 'x' > wizard/vcprojects/QuillonWiz
"$tool" library wizard setup.exe out/pkg > /dev/null 2> stderr || fail "refused: $(cat stderr)"
[ -f out/pkg/Quillon/Help/quillon.hxs ] && [ -f out/pkg/AppWizard/vcprojects/QUILLONWIZ.VSZ ] &&
    [ -d out/pkg/AppWizard/VCWizards/quillonwiz ] && [ -f out/pkg/AppWizard/vcprojects/QuillonWiz ] ||
    fail "names not kept as given"

# --- Refusals: each names what is wrong. ---
new_case no_wizard_folder
rm -r wizard/VCWizards/QuillonWiz && mkdir wizard/VCWizards/QuillonWizard
expect_refusal "make_package: no wizard folder VCWizards\\QuillonWiz in wizard"

new_case wizard_folder_is_a_file
rm -r wizard/VCWizards/QuillonWiz && touch wizard/VCWizards/QuillonWiz
expect_refusal "make_package: no wizard folder VCWizards\\QuillonWiz in wizard"

new_case no_vcwizards_folder
rm -r wizard/VCWizards
expect_refusal "make_package: no VCWizards folder in the wizard folder wizard"

new_case no_vcprojects_folder
rm -r wizard/vcprojects
expect_refusal "make_package: no vcprojects folder in the wizard folder wizard"

new_case no_project_file
rm wizard/vcprojects/QuillonWiz.*
touch wizard/vcprojects/QuillonWizard.vsz wizard/vcprojects/QuillonWiz && mkdir wizard/vcprojects/QuillonWiz.dir
expect_refusal "make_package: no QuillonWiz.* project file in wizard/vcprojects"

new_case stray_project_file
touch wizard/vcprojects/Other.vsz
expect_refusal "make_package: vcprojects\\Other.vsz is not a QuillonWiz.* file; the uninstall would leave it behind"

new_case stray_project_folder
mkdir wizard/vcprojects/QuillonWiz.extra
expect_refusal "make_package: vcprojects\\QuillonWiz.extra is not a QuillonWiz.* file; the uninstall would leave it behind"

new_case stray_wizard_folder
mkdir wizard/VCWizards/OtherWiz
expect_refusal "make_package: VCWizards\\OtherWiz is outside VCWizards\\QuillonWiz; the uninstall would leave it behind"

new_case help_files_missing
rm library/Help/Quillon.HxT library/Help/Quillon.HxA
expect_refusal "make_package: help files missing in library: Help\\Quillon.HxT Help\\Quillon.HxA"

new_case help_file_is_a_folder
rm library/Help/Quillon.HxC && mkdir library/Help/Quillon.HxC
expect_refusal "make_package: help files missing in library: Help\\Quillon.HxC"

new_case no_help_folder
rm -r library/Help
expect_refusal "make_package: no Help folder in the library folder library"

new_case no_library_folder
expect_refusal "make_package: library folder not found: nowhere" nowhere wizard setup.exe out/pkg

new_case no_wizard_argument_folder
expect_refusal "make_package: wizard folder not found: nowhere" library nowhere setup.exe out/pkg

new_case names_differ_in_case
printf 'other' > library/include/quillon/QUILLON.H
expect_refusal "make_package: names that differ only in case in library: ./include/quillon/QUILLON.H and ./include/quillon/quillon.h"

new_case library_has_setup_exe
touch library/Setup.exe
expect_refusal "make_package: the library folder library holds a setup.exe of its own"

new_case output_exists
mkdir -p out/pkg
"$tool" library wizard setup.exe out/pkg > /dev/null 2> stderr
rc=$?
[ $rc -eq 1 ] && [ "$(cat stderr)" = "make_package: out/pkg exists already; remove it first" ] ||
    fail "exit $rc, [$(cat stderr)]"

new_case output_inside_library
expect_refusal "make_package: the package folder library/pkg must not lie inside the library or the wizard folder" \
    library wizard setup.exe library/pkg

# setup.exe: the PE header's machine, optional header magic and subsystem, table-driven.
while IFS='|' read -r name machine magic subsystem length message; do
    new_case "setup_$name"
    write_pe setup.exe "$machine" "$magic" "$subsystem" "$length"
    expect_refusal "make_package: setup.exe is not a PE32 (i386) GUI program: $message"
done <<'EOF'
x64|\x64\x86|\x0b\x01|\x02\x00|256|machine 0x8664, not 0x14c (i386)
pe32plus|\x4c\x01|\x0b\x02|\x02\x00|256|optional header magic 0x20b, not 0x10b (PE32)
console|\x4c\x01|\x0b\x01|\x03\x00|256|subsystem 3, not 2 (Windows GUI)
native|\x4c\x01|\x0b\x01|\x01\x00|256|subsystem 1, not 2 (Windows GUI)
cut_in_mz|\x4c\x01|\x0b\x01|\x02\x00|62|the file ends inside the MZ header
cut_in_coff|\x4c\x01|\x0b\x01|\x02\x00|69|the file ends inside the PE header
cut_in_optional|\x4c\x01|\x0b\x01|\x02\x00|157|the file ends inside the optional header
EOF

new_case setup_not_mz
printf 'this is no program\n' > setup.exe
expect_refusal "make_package: setup.exe is not a PE32 (i386) GUI program: no MZ header"

new_case setup_no_pe_signature
patch_bytes setup.exe $((0x40)) 'NE\x00\x00'
expect_refusal "make_package: setup.exe is not a PE32 (i386) GUI program: no PE signature"

new_case setup_missing
rm setup.exe
expect_refusal "make_package: setup.exe not found: setup.exe"

new_case usage
"$tool" library wizard setup.exe > /dev/null 2>&1
rc=$?
[ $rc -eq 2 ] || fail "exit code $rc, expected 2"

echo "$failures failed"
exit $failures
