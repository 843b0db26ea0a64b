#!/usr/bin/env bash
# Prepares the Wine prefix $1 (created if needed) to show Chinese text and every character of the
# default scheme: applies scripts/wine-cjk-fonts.reg in both registry views, once per version of
# that file. Used by the run command for its prefix and by the tests that check those glyphs.
set -euo pipefail
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)
reg_source=$here/wine-cjk-fonts.reg
"$here/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
marker=$prefix/.pelo-cjk-fonts
version=$(sha256sum "$reg_source" | cut -d' ' -f1)
[ "$(cat "$marker" 2>/dev/null)" = "$version" ] && exit 0
exec 9>"$prefix.fonts.lock"
flock 9
[ "$(cat "$marker" 2>/dev/null)" = "$version" ] && exit 0
# regedit reads UTF-16 with a byte-order mark.
reg=$prefix/cjk-fonts.reg
python3 -c 'import sys; t = open(sys.argv[1], encoding="utf-8").read().replace("\n", "\r\n")
open(sys.argv[2], "wb").write(b"\xff\xfe" + t.encode("utf-16-le"))' "$reg_source" "$reg"
win_reg=$(winepath -w "$reg" 2>/dev/null)
# The 64-bit regedit writes the 64-bit view; Debian's wine wrapper runs the 32-bit one, for the
# 32-bit programs' view of the machine keys.
/usr/lib/wine/wine64 regedit /s "$win_reg" </dev/null >/dev/null 2>&1
wine regedit /s "$win_reg" </dev/null >/dev/null 2>&1
wineserver -w
echo "$version" >"$marker"
