#!/usr/bin/env bash
# qrptool info, extract and pack on the bundled samples: the pages extracted are the bytes
# info hashes, packing them again gives the sample back (but for the header date), and a
# file that cannot be loaded gives status 2, "Arquivo inválido." and the reason.
set -euo pipefail
qrptool=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for sample in laudo laudo-compressed; do
  "$qrptool" info "$samples/$sample.QRP" --json > "$work/info.json"
  "$qrptool" extract "$samples/$sample.QRP" -o "$work/$sample"
  python3 - "$work/info.json" "$work/$sample" "$samples/$sample.QRP" <<'PY'
import hashlib, json, os, sys
info = json.load(open(sys.argv[1]))
assert info["pages"] == 3, info
assert info["header_size"] == 128
assert info["file_size"] == os.path.getsize(sys.argv[3])
assert info["compressed"] == ("compressed" in sys.argv[3])
for page in info["page_list"]:
    data = open(os.path.join(sys.argv[2], "page-%04d.emf" % page["number"]), "rb").read()
    assert page["bytes"] == len(data)
    assert page["sha256"] == hashlib.sha256(data).hexdigest()
    assert (page["frame_w"], page["frame_h"], page["width"], page["height"]) == (21000, 29700, 4961, 7016)
PY
done

"$qrptool" pack "$work/plain.QRP" "$work/laudo"/page-*.emf
"$qrptool" pack "$work/packed.QRP" --compress "$work/laudo"/page-*.emf
cmp <(tail -c +25 "$work/plain.QRP") <(tail -c +25 "$samples/laudo.QRP") || fail "pack differs from laudo.QRP"
cmp <(tail -c +25 "$work/packed.QRP") <(tail -c +25 "$samples/laudo-compressed.QRP") || fail "pack --compress differs"

head -c 5000 "$samples/laudo.QRP" > "$work/cut.QRP"
set +e
"$qrptool" info "$work/cut.QRP" > "$work/out.txt" 2> "$work/err.txt"; status=$?
set -e
[ "$status" = 2 ] || fail "info on a cut file: status $status"
[ ! -s "$work/out.txt" ] || fail "info on a cut file wrote to standard output"
[ "$(sed -n 1p "$work/err.txt")" = "Arquivo inválido." ] || fail "first line: $(sed -n 1p "$work/err.txt")"
[ "$(sed -n 2p "$work/err.txt")" = "Stream read error" ] || fail "second line: $(sed -n 2p "$work/err.txt")"
set +e
"$qrptool" extract "$work/cut.QRP" -o "$work/none" 2>/dev/null; status=$?
"$qrptool" pack "$work/bad.QRP" "$work/cut.QRP" 2>/dev/null; packstatus=$?
"$qrptool" info 2>/dev/null; usage=$?
set -e
[ "$status" = 2 ] && [ ! -e "$work/none" ] || fail "extract of a cut file: status $status"
[ "$packstatus" = 2 ] && [ ! -e "$work/bad.QRP" ] || fail "pack of a bad picture: status $packstatus"
[ "$usage" = 1 ] || fail "info without FILE: status $usage"
echo "qrptool commands: ok"
