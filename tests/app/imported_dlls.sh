#!/usr/bin/env bash
# The program's import table names only Known DLLs (which the loader maps from the system
# folder, never from the program's own) and the side-by-side common controls (which the
# manifest takes from the system's assembly store). Anything else would be looked for
# beside the program, in a Downloads folder say, before WinMain can narrow the search;
# such DLLs are bound at their first use instead (src/win/system_library.h).
# Usage: imported_dlls.sh PROGRAM.exe [OBJDUMP]
set -euo pipefail
exe="$1"
objdump="${2:-i686-w64-mingw32-objdump}"
allowed="advapi32.dll comdlg32.dll gdi32.dll kernel32.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll
user32.dll msvcrt.dll imm32.dll rpcrt4.dll ws2_32.dll psapi.dll setupapi.dll comctl32.dll"
imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "FAIL: no import table read from $exe"; exit 1; }
echo "imported:" $imports
for dll in $imports; do
  grep -qw -- "$dll" <<< "$allowed" || { echo "FAIL: $dll is imported, and is no Known DLL"; exit 1; }
done
echo "PASS: only Known DLLs and the common controls are imported"
