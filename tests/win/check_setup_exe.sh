#!/bin/sh
# check_setup_exe.sh EXE i386|x86-64 [TWIN]: static checks of a built setup.exe. header: a PE
# program of that machine, GUI subsystem; imports: KERNEL32 and msvcrt only, which Windows always
# takes from the system folder (the program loads every other DLL itself; no libstdc++, libgcc or
# winpthread DLL left to chance); resources: the icons, the two dialogs in their languages and
# the manifest naming the program's own processor, and, given TWIN (the other word size's build),
# the same resources as TWIN's but for that processor name.
# Prints "ok NAME" or "FAILED NAME: why" per check and exits non-zero if any failed.
set -u
exe=$1 machine=$2 twin=${3:-}
case "$machine" in
    i386) tools=i686-w64-mingw32 twin_tools=x86_64-w64-mingw32 arch=x86 twin_arch=amd64 ;;
    x86-64) tools=x86_64-w64-mingw32 twin_tools=i686-w64-mingw32 arch=amd64 twin_arch=x86 ;;
    *) echo "usage: $0 EXE i386|x86-64 [TWIN]" >&2; exit 2 ;;
esac
failed=0
check() { if [ -z "$2" ]; then echo "ok $1"; else echo "FAILED $1: $2"; failed=1; fi; }

dump=$("$tools-objdump" -p "$exe" 2>&1)
why=""
printf '%s\n' "$dump" | grep -q "file format pei-$machine\$" || why="not a PE program for $machine"
printf '%s\n' "$dump" | grep -Eq '^Subsystem[[:space:]]+00000002' || why="${why:+$why; }not the GUI subsystem"
check header "$why"

dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
why=""
[ -n "$dlls" ] || why="no imports read"
for dll in $dlls; do
    case "$dll" in
        kernel32.dll|msvcrt.dll) ;;
        *) why="${why:+$why; }imported, not loaded from the system folder: $dll" ;;
    esac
done
check imports "$why"

# The resource script, its long strings joined again, with the manifest's processor named ARCH.
resources() {
    "$1-windres" -i "$2" -O rc 2>&1 | sed -e ':a' -e 'N' -e '$!ba' -e 's/"\n  "//g' |
        sed "s/processorArchitecture=\"\"$3\"\"/processorArchitecture=\"\"ARCH\"\"/g"
}
summary=$(resources "$tools" "$exe" "$arch" | grep -E '^LANGUAGE|^[0-9]+ [A-Z0-9]' | tr '\n' '|')
expected='LANGUAGE 9, 1|1 3 /* RT_ICON */|2 3 /* RT_ICON */|3 3 /* RT_ICON */|4 3 /* RT_ICON */|102 DIALOGEX 0, 0, 221, 57|LANGUAGE 21, 1|114 DIALOGEX 0, 0, 251, 80|LANGUAGE 9, 1|101 14 /* RT_GROUP_ICON */|1 24 /* RT_MANIFEST */|'
why=""
[ "$summary" = "$expected" ] || why="resources are: $summary"
[ "$(resources "$tools" "$exe" "$arch" | grep -o 'processorArchitecture=""ARCH""' | wc -l)" = 2 ] ||
    why="${why:+$why; }the manifest does not name $arch for the program and its Common Controls"
if [ -z "$why" ] && [ -n "$twin" ]; then
    [ "$(resources "$tools" "$exe" "$arch")" = "$(resources "$twin_tools" "$twin" "$twin_arch")" ] ||
        why="resources differ from those of $twin beyond the processor the manifest names"
fi
check resources "$why"
exit $failed
