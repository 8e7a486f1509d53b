#!/bin/sh
# setup.exe must be a 32-bit GUI program that needs nothing but system DLLs on the target:
# no libstdc++, libgcc or winpthread DLL may be left to chance.
set -eu
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
printf '%s\n' "$dump" | grep -q 'file format pei-i386' || { echo "not PE32 i386"; exit 1; }
printf '%s\n' "$dump" | grep -Eq '^Subsystem[[:space:]]+00000002' || { echo "not the GUI subsystem"; exit 1; }
dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
    case "$dll" in
        kernel32.dll|user32.dll|advapi32.dll|shell32.dll|comctl32.dll|msvcrt.dll|ole32.dll|shlwapi.dll|gdi32.dll) ;;
        *) echo "not a system DLL: $dll"; exit 1 ;;
    esac
done
echo "size: $(wc -c < "$exe") bytes"
