#!/usr/bin/env bash
# Fails when quillane.exe imports a function that platform/win32/imports.txt does not list (each
# listed one is on Windows 95 and NT 4.0), imports by ordinal, or no longer declares subsystem
# version 4.0. Reads the import table with the cross toolchain's objdump.
#
#   scripts/check-imports.sh [EXE]      default build/i686/app/quillane.exe
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
EXE=${1:-$ROOT/build/i686/app/quillane.exe}
LIST=$ROOT/platform/win32/imports.txt
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}

dump=$("$OBJDUMP" -p "$EXE")
# "dll function" per import, the DLL name in lower case; "dll #ordinal" for ordinal imports.
imports=$(awk '
    /^\tDLL Name: / { dll = tolower($3); next }
    /^\tvma: / { next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3; next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ *$/ { print dll, "#" $2; next }
    /^$/ { dll = "" }
' <<<"$dump" | sort -u)
allowed=$(sed 's/#.*//' "$LIST" | awk 'NF == 2 { print tolower($1), $2 }' | sort -u)

status=0
if [[ -z $imports ]]; then
    echo "check-imports: no imports read from $EXE" >&2
    exit 1
fi
unlisted=$(comm -23 <(printf '%s\n' "$imports") <(printf '%s\n' "$allowed"))
if [[ -n $unlisted ]]; then
    echo "check-imports: $(basename "$EXE") imports what $LIST does not allow:" >&2
    sed 's/^/  /' <<<"$unlisted" >&2
    status=1
fi
major=$(awk '$1 == "MajorSubsystemVersion" { print $2 }' <<<"$dump")
minor=$(awk '$1 == "MinorSubsystemVersion" { print $2 }' <<<"$dump")
if [[ $major.$minor != 4.0 ]]; then
    echo "check-imports: subsystem version $major.$minor, expected 4.0" >&2
    status=1
fi
[[ $status == 0 ]] && echo "check-imports: $(wc -l <<<"$imports") imports of $(basename "$EXE"), all listed; subsystem 4.0"
exit $status
