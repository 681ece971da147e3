#!/usr/bin/env bash
# qrptool text and grep: the sample's text in reading order, page selection, the JSON
# boxes, the same characters as pdftotext finds in the PDFs convert and render make, and
# grep's output, order, options and exit statuses.
set -euo pipefail
qrptool=$1
samples=$2
corpus=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime LC_ALL=C.UTF-8
mkdir -m 0700 "$work/runtime"
fail() { echo "FAIL: $*" >&2; exit 1; }
# The corpus parts need ../shared beside the checkout: without it they are left out, except
# under CI (CI set), where its absence is a failure.
if [ ! -d "$corpus/emf" ] && [ -n "${CI:-}" ]; then fail "no corpus at '$corpus' (CI is set: ../shared must be present)"; fi
# Under the sanitizers an address-space limit cannot hold (their shadow memory alone is
# larger): their allocation limit takes its place.
if [ -n "${QRP_SANITIZED:-}" ]; then
  as_limit=()
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1:max_allocation_size_mb=4000"
else
  as_limit=(--as=4000000000)
fi
status() { set +e; "$@" >"$work/out" 2>"$work/err"; echo $?; set -e; }

# --- text ---
"$qrptool" text "$samples/laudo.QRP" > "$work/all.txt"
[ "$(tr -cd '\f' < "$work/all.txt" | wc -c)" = 2 ] || fail "three pages need two form feeds"
grep -qxF "$(printf 'Hemácias\t4,12\tmilhões/mm³\t3,90 a 5,03')" "$work/all.txt" || fail "table row"
grep -qxF "$(printf 'Paciente: MARIA JOSÉ DA CONCEIÇÃO SANTOS\tPedido: 2024.118.734-02')" "$work/all.txt" || fail "header row"
head -n1 "$work/all.txt" | grep -q "^Laboratório " || fail "first line"
"$qrptool" text "$samples/laudo-compressed.QRP" | cmp -s - "$work/all.txt" || fail "compressed sample differs"
"$qrptool" text "$samples/laudo.QRP" --page 2 > "$work/p2.txt"
grep -q GLICEMIA "$work/p2.txt" && ! grep -q ERITROGRAMA "$work/p2.txt" && ! grep -q $'\f' "$work/p2.txt" || fail "--page 2"
"$qrptool" text "$samples/laudo.QRP" --pages 2-3 | cmp -s - <(awk 'BEGIN{RS="\f"; ORS="\f"} NR>1' "$work/all.txt" | head -c -1) \
  || fail "--pages 2-3 is not the last two pages"
[ "$(status "$qrptool" text "$samples/laudo.QRP" --page 4)" = 2 ] || fail "page 4 of 3"
[ "$(status "$qrptool" text "$samples/laudo.QRP" --pages 3-2)" = 1 ] || fail "inverted range"
head -c 3000 "$samples/laudo.QRP" > "$work/cut.QRP"
[ "$(status "$qrptool" text "$work/cut.QRP")" = 2 ] || fail "cut report"

"$qrptool" text "$samples/laudo.QRP" --page 1 --json > "$work/p1.json"
python3 - "$work/p1.json" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
page, = doc["pages"]
assert page["page"] == 1 and page["width_mm"] == 210 and page["height_mm"] == 297, page
lines = page["lines"]
row = next(l for l in lines if l["text"].startswith("Hemácias\t"))
left, top, width, height = row["box"]
assert 5 < left < 40 and 50 < top < 250 and 100 < width < 200 and 2 < height < 8, row
tops = [l["box"][1] for l in lines]
assert tops == sorted(tops) or sum(a > b + 1 for a, b in zip(tops, tops[1:])) == 0, "lines top to bottom"
PY

# --- the same characters as pdftotext reads from our PDFs ---
if command -v pdftotext >/dev/null; then
  "$qrptool" convert "$samples/laudo.QRP" -o "$work/pdf" >/dev/null 2>&1
  words() { tr -s ' \t\n\f' '\n' | sed '/^$/d'; }
  cmp -s <(pdftotext -layout "$work/pdf/laudo.pdf" - | words) <(words < "$work/all.txt") || fail "sample: pdftotext words differ"
  [ -d "$corpus/emf" ] || [ -z "${CI:-}" ] || fail "no corpus at $corpus"
  if [ -d "$corpus/emf" ]; then
    # The same characters in the same order. Several of these pictures draw text beyond
    # their frame, which is not on the page: neither in the PDF nor in the page's text.
    for f in emf/apache-poi-ooxml-embedded/61991__thumbnail.emf emf/apache-poi/vector_image.emf \
             emf/apache-tika/testEMF_zero_coords.emf emf/apache-tika-ooxml-embedded/testEXCEL_embeded__image2.emf \
             emf/libreoffice-generated/ProblemExtracting.emf emf/libemf2svg-ea/EA-test-file-001.emf \
             emf/apache-poi/SimpleEMF_windows.emf emf/apache-tika/testEMF_iconOnlyLongFilename.emf \
             emf/apache-tika-ooxml-embedded/testPPT_various2__image8.emf; do
      "$qrptool" render "$corpus/$f" -o "$work/page.pdf" 2>/dev/null
      cmp -s <(pdftotext -layout "$work/page.pdf" - | tr -d ' \t\n\f') <("$qrptool" text "$corpus/$f" | tr -d ' \t\n\f') \
        || fail "$f: characters differ from pdftotext's"
    done
    # The same characters in another order: pdftotext -layout lays text out in columns of
    # its own, so a chart's legend entry beside an axis value a little lower, or a table
    # cell drawn in two runs, comes out in another line order than the baselines give.
    # Here only the order is allowed to differ.
    chars() { tr -d ' \t\n\f' | grep -o . | LC_ALL=C sort; }
    for f in emf/apache-tika-ooxml-embedded/testMSChart-govdocs-428996__image1.emf emf/apache-poi/nested_wmf.emf \
             emf/libemf2svg/test-001.emf wmf/libwmf/cell.wmf; do
      "$qrptool" render "$corpus/$f" -o "$work/page.pdf" 2>/dev/null
      cmp -s <(pdftotext -layout "$work/page.pdf" - | chars) <("$qrptool" text "$corpus/$f" | chars) \
        || fail "$f: characters differ from pdftotext's (in any order)"
    done
  fi
fi

# --- grep ---
mkdir -p "$work/archive/2024/nov" "$work/archive/other"
for i in 5 3 9 1 7 2; do cp "$samples/laudo.QRP" "$work/archive/2024/nov/r$i.QRP"; done
cp "$samples/laudo-compressed.QRP" "$work/archive/a.qrp"
echo "not a report" > "$work/archive/notes.txt"
cp "$work/cut.QRP" "$work/archive/other/broken.QRP"

[ "$(status "$qrptool" grep -i hemacias "$samples/laudo.QRP")" = 0 ] || fail "grep -i status"
[ "$(head -n1 "$work/out")" = "$samples/laudo.QRP:1: $(printf 'Hemácias\t4,12\tmilhões/mm³\t3,90 a 5,03')" ] || fail "grep line: $(head -n1 "$work/out")"
[ "$(cut -d: -f2 "$work/out" | tr '\n' ' ')" = "1 3 3 " ] || fail "grep pages in order: $(cat "$work/out")"
[ "$(status "$qrptool" grep hemacias "$samples/laudo.QRP")" = 1 ] || fail "without -i the case and accent count"
[ "$(status "$qrptool" grep -F 'a 5,0' "$samples/laudo.QRP")" = 0 ] && [ "$(wc -l < "$work/out")" = 2 ] || fail "-F"
[ "$(status "$qrptool" grep '^Glicose em [a-z]+' "$samples/laudo.QRP")" = 0 ] && grep -q ':2: Glicose em jejum' "$work/out" \
  || fail "regular expression"
[ "$(status "$qrptool" grep '(' "$samples/laudo.QRP")" = 2 ] || fail "bad pattern"

# Folders with -r, in name order, whatever the workers finish first; the broken report is
# named on standard error, the others still searched.
[ "$(status "$qrptool" grep -r -j 3 -c -i 'HEMÁCIAS' "$work/archive")" = 2 ] || fail "-r with a broken report"
expected=$(printf '%s:3\n' "$work/archive/a.qrp" "$work/archive/2024/nov/r"{1,2,3,5,7,9}.QRP)
[ "$(cat "$work/out")" = "$expected" ] || fail "-r -c order: $(cat "$work/out")"
grep -q "other/broken.QRP" "$work/err" || fail "broken report not named"
[ "$(status "$qrptool" grep -l -j 2 Plaquetas "$work/archive/2024/nov/r9.QRP" "$work/archive/2024/nov/r1.QRP")" = 0 ] || fail "-l"
[ "$(cat "$work/out")" = "$(printf '%s\n' "$work/archive/2024/nov/r9.QRP" "$work/archive/2024/nov/r1.QRP")" ] || fail "-l order"
[ "$(status "$qrptool" grep Plaquetas "$work/archive")" = 2 ] || fail "a folder without -r"
[ "$(status "$qrptool" grep -r zzzz "$work/archive/2024")" = 1 ] || fail "nothing matched"
[ "$(status "$qrptool" grep -q x "$samples/laudo.QRP")" = 2 ] || fail "unknown option"

# Every corpus picture, damaged ones included, under a memory limit: a count or a named
# error for each, never a crash.
if [ -d "$corpus/emf" ]; then
  mapfile -t pictures < <(find "$corpus/emf" "$corpus/wmf" -type f \( -name '*.emf' -o -name '*.wmf' \) | sort)
  code=$(status prlimit "${as_limit[@]}" -- "$qrptool" grep -c -j 2 zzzz "${pictures[@]}")
  [ "$code" = 1 ] || [ "$code" = 2 ] || fail "corpus grep status $code"
  [ $(( $(wc -l < "$work/out") + $(grep -c '^qrptool grep: ' "$work/err" || true) )) -ge ${#pictures[@]} ] || fail "corpus files unaccounted"
fi
echo ok
