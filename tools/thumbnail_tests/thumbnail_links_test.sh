#!/usr/bin/env bash
# qrptool thumbnail: sizes and proportions, outputs written whole or not at all, nothing but
# a regular file replaced, the input never written. qrptool pack --link and info: links go
# in and come out, hostile texts (control characters, very long, non-ASCII) escaped in the
# text listing and exact in JSON.
set -uo pipefail
qrptool=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
# Under the sanitizers an address-space limit cannot hold (their shadow memory alone is
# larger): their allocation limit takes its place.
if [ -n "${QRP_SANITIZED:-}" ]; then
  as_limit=()
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1:max_allocation_size_mb=1000"
else
  as_limit=(--as=1000000000)
fi
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
png_size() { python3 - "$1" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read(24)
assert d[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
print("%dx%d" % struct.unpack(">II", d[16:24]))
PY
}

# ---- thumbnail -----------------------------------------------------------------------
sample=$samples/laudo.QRP
for size in 16 128 256 1024; do
  "$qrptool" thumbnail -s "$size" "$sample" "$work/t$size.png" || fail "thumbnail -s $size: status $?"
  # A4 portrait: the height is the longer side.
  expect="$(python3 -c "print(round($size * 210 / 297))")x$size"
  [ "$(png_size "$work/t$size.png")" = "$expect" ] || fail "-s $size gave $(png_size "$work/t$size.png"), not $expect"
done
"$qrptool" thumbnail "$samples/laudo-compressed.QRP" "$work/default.png" || fail "compressed sample"
[ "$(png_size "$work/default.png")" = "181x256" ] || fail "the default size is not 256"
# The page is drawn: the thumbnail is not one flat colour.
python3 - "$work/t256.png" <<'PY' || fail "the thumbnail shows nothing"
import sys, zlib, struct
data = open(sys.argv[1], "rb").read()
pos, idat = 8, b""
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IDAT": idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = zlib.decompress(idat)
assert len(set(raw)) > 8, "flat"
PY

for args in "" "-s" "-s 8 $sample $work/x.png" "-s 2000 $sample $work/x.png" "-s abc $sample $work/x.png" \
            "$sample" "--bogus $sample $work/x.png" "$sample $work/x.png extra"; do
  # shellcheck disable=SC2086
  "$qrptool" thumbnail $args >/dev/null 2>&1; rc=$?
  [ "$rc" -eq 1 ] || fail "thumbnail $args: status $rc, not 1"
done
[ -e "$work/x.png" ] && fail "a refused command wrote its output"

# Unreadable inputs: status 2, no output, no temporary left behind.
printf 'not a report' >"$work/bad.QRP"
head -c 300 "$sample" >"$work/cut.QRP"
for input in "$work/bad.QRP" "$work/cut.QRP" "$work/missing.QRP"; do
  "$qrptool" thumbnail "$input" "$work/out.png" 2>"$work/err"; rc=$?
  [ "$rc" -eq 2 ] || fail "thumbnail of $(basename "$input"): status $rc, not 2"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "thumbnail of $(basename "$input"): not one line: $(cat "$work/err")"
done
[ -e "$work/out.png" ] && fail "an unreadable input left an output"
ls -A "$work" | grep -q '^\.' && fail "temporary files left: $(ls -A "$work" | grep '^\.')"

# Cut reports, and one with its bytes spoilt after the header, under limits: a PNG or status
# 2, never a crash, a hang or a runaway allocation.
size_all=$(stat -c %s "$sample")
for length in 129 140 200 1000 5000 50000 $((size_all / 2)) $((size_all - 1)); do
  head -c "$length" "$sample" >"$work/cut-$length.QRP"
done
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[300:340] = b"\xff" * 40; open(sys.argv[2], "wb").write(d)' \
  "$sample" "$work/spoilt.QRP"
for input in "$work"/cut-*.QRP "$work/spoilt.QRP"; do
  prlimit "${as_limit[@]}" --cpu=20 -- "$qrptool" thumbnail "$input" "$work/cut.png" >/dev/null 2>&1; rc=$?
  [ "$rc" -eq 0 ] || [ "$rc" -eq 2 ] || fail "thumbnail of $(basename "$input"): status $rc"
  rm -f "$work"/cut*.png
done

# Only a regular file is replaced; the input never is.
echo old >"$work/old.png"
"$qrptool" thumbnail "$sample" "$work/old.png" || fail "replacing an old thumbnail"
[ "$(png_size "$work/old.png")" = "181x256" ] || fail "the old thumbnail was not replaced"
mkdir "$work/dir.png"
ln -s "$work/target" "$work/link.png"
cp "$sample" "$work/self.QRP"
for out in "$work/dir.png" "$work/link.png" "$work/self.QRP"; do
  "$qrptool" thumbnail "$work/self.QRP" "$out" 2>/dev/null; rc=$?
  [ "$rc" -eq 3 ] || fail "thumbnail onto $(basename "$out"): status $rc, not 3"
done
[ -d "$work/dir.png" ] && [ -L "$work/link.png" ] && [ ! -e "$work/target" ] || fail "a non-regular output was touched"
cmp -s "$sample" "$work/self.QRP" || fail "the input was written"

# ---- pack --link and info --------------------------------------------------------------
"$qrptool" extract "$sample" -o "$work/pages" >/dev/null || fail "extract"
pages=("$work/pages"/page-*.emf)
long=$(head -c 100000 /dev/zero | tr '\0' 'a')
"$qrptool" pack "$work/linked.QRP" \
  --link "1:10,20,300,60:https://exemplo.com.br/laudo?id=7&x=1" \
  --link "1:0,0,5,5:mailto:lab@exemplo.com.br" \
  --link "3:100,100,200,200:$(printf 'javascript:\x01\x1b[2J\x7f')" \
  --link "3:1,1,2,2:https://exemplo.com.br/$long" \
  --link "3:1,1,2,2:https://exemplo.com.br/ação€" \
  "${pages[@]}" || fail "pack --link"
"$qrptool" info "$work/linked.QRP" >"$work/info.txt" || fail "info of a linked report"
grep -qxF '  link 10,20,300,60: https://exemplo.com.br/laudo?id=7&x=1' "$work/info.txt" || fail "info lacks the first link"
grep -qxF '  link 0,0,5,5: mailto:lab@exemplo.com.br' "$work/info.txt" || fail "info lacks the mailto link"
grep -qxF '  link 100,100,200,200: javascript:\x01\x1b[2J\x7f' "$work/info.txt" || fail "control characters are not escaped"
grep -qF 'https://exemplo.com.br/ação?' "$work/info.txt" || fail "non-ASCII text not kept as Latin-1 ('?' beyond it)"
grep -qE '^  link 1,1,2,2: https://exemplo.com.br/a+\.\.\. \(100023 bytes\)$' "$work/info.txt" || fail "the long link is not cut"
[ "$(awk 'length > 500' "$work/info.txt" | wc -l)" -eq 0 ] || fail "a line longer than 500 characters"
LC_ALL=C grep -q $'[\x01\x1b\x7f]' "$work/info.txt" && fail "raw control characters reached the listing"
"$qrptool" info "$work/linked.QRP" --json >"$work/info.json" || fail "info --json"
python3 - "$work/info.json" <<'PY' || fail "JSON links"
import json, sys
info = json.load(open(sys.argv[1]))
pages = info["page_list"]
assert [len(p["links"]) for p in pages] == [2, 0, 3], [len(p["links"]) for p in pages]
first = pages[0]["links"][0]
assert (first["left"], first["top"], first["right"], first["bottom"]) == (10, 20, 300, 60)
assert first["text"] == "https://exemplo.com.br/laudo?id=7&x=1"
assert pages[2]["links"][0]["text"] == "javascript:\x01\x1b[2J\x7f"
assert pages[2]["links"][1]["text"] == "https://exemplo.com.br/" + "a" * 100000
assert pages[2]["links"][2]["text"] == "https://exemplo.com.br/ação?"
PY
# A report without links lists none; pages still read as before.
"$qrptool" info "$sample" --json | python3 -c 'import json,sys; assert all(p["links"] == [] for p in json.load(sys.stdin)["page_list"])' \
  || fail "the sample shows links"
grep -q '  link' <("$qrptool" info "$sample") && fail "the sample lists links"

for bad in "0:1,1,2,2:x" "4:1,1,2,2:x" "1:1,1,2:x" "1:2,1,1,2:x" "1:a,b,c,d:x" "1-1,1,2,2-x" "1:1,1,2,2"; do
  "$qrptool" pack "$work/bad.QRP" --link "$bad" "${pages[@]}" >/dev/null 2>&1; rc=$?
  [ "$rc" -eq 1 ] || fail "pack --link $bad: status $rc, not 1"
done
"$qrptool" pack "$work/c.QRP" --compress --link "1:1,1,2,2:https://a.example/" "${pages[@]}" >/dev/null 2>&1; rc=$?
[ "$rc" -eq 1 ] || fail "--link with --compress: status $rc, not 1"
# An empty text after the area is a link with no text, not an error.
"$qrptool" pack "$work/empty.QRP" --link "2:1,1,2,2:" "${pages[@]}" || fail "an empty link text"

[ "$failures" -eq 0 ] && echo "thumbnail and links: all checks passed"
exit $((failures > 0))
