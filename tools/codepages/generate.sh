#!/usr/bin/env bash
# Regenerates emf/wmf/codepage_tables.inc and the test's digests from what the Windows
# code-page conversion answers (run once; the build does not need it). Needs wine and
# mingw-w64: apt-get install wine wine64 gcc-mingw-w64-x86-64
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
x86_64-w64-mingw32-gcc -O2 -o "$work/dump_codepages.exe" "$here/dump_codepages.c"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
(cd "$work" && wine ./dump_codepages.exe)
wineserver -k || true
python3 "$here/generate.py" "$work" "$root/emf/wmf/codepage_tables.inc" "$root/emf/wmf/codepage_digests.inc"
