#!/usr/bin/env bash
# downloader.exe runs on a bare Windows: a 32-bit GUI program that imports
# system DLLs only (no MinGW runtime to ship beside it).
#   program_file_test.sh DOWNLOADER.EXE OBJDUMP
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine_test_lib.sh"
program=$1
objdump=$2

kind=$(file -b "$program")
[[ $kind == "PE32 executable (GUI) Intel 80386"* ]] || fail "$kind"

# oleacc: Active Accessibility, in every Windows since 2000 (the screen
# readers' objects of the buttons).
system_dlls='^(kernel32|user32|gdi32|ole32|oleaut32|oleacc|shell32|shlwapi|wininet|advapi32|comctl32|comdlg32|msvcrt|d2d1|dwrite|windowscodecs|uuid|ws2_32|bcrypt)\.dll$'
imports=$("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[[ -n $imports ]] || fail "no imports found"
while read -r dll; do
  [[ $dll =~ $system_dlls ]] || fail "imports $dll, which a bare Windows does not have"
done <<<"$imports"
echo "$kind; imports: $(echo $imports)"
echo PASS
