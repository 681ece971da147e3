#!/usr/bin/env bash
# Searching an archive: `qrptool grep -r` against the route without it (`qrptool convert`
# of the archive to PDF, then `pdftotext` of every PDF and grep), same files, same run,
# best of ROUNDS. Target: qrptool grep at least 5 times faster.
#   bench/grep_archive.sh [BUILD_DIR] [REPORT] [COPIES] [ROUNDS]
# Defaults: build, samples/laudo.QRP, 40 copies, 3 rounds. Wall-clock times: run it on a
# quiet machine.
set -euo pipefail
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
build=${1:-build}
report=${2:-samples/laudo.QRP}
copies=${3:-40}
rounds=${4:-3}
qrptool="$build/tools/qrptool"
[ -x "$qrptool" ] || { echo "no $qrptool: build the qrptool target first" >&2; exit 1; }
command -v pdftotext >/dev/null || { echo "no pdftotext (poppler-utils)" >&2; exit 1; }

work=$(mktemp -d /tmp/qrp-grep-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
for i in $(seq 1 "$copies"); do cp "$report" "$work/in/copy$i.QRP"; done
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
pattern=${PATTERN:-hemacias}

now() { date +%s.%N; }
best() { awk -v t="$1" -v b="$2" 'BEGIN { print (b == "" || t < b) ? t : b }'; }

grep_best="" route_best=""
for _ in $(seq 1 "$rounds"); do
  t0=$(now)
  "$qrptool" grep -r -i "$pattern" "$work/in" >"$work/grep.out" || true
  t1=$(now)
  grep_best=$(best "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" "$grep_best")

  rm -rf "$work/pdf"
  t0=$(now)
  "$qrptool" convert "$work/in" -o "$work/pdf" >/dev/null
  for pdf in "$work"/pdf/*.pdf; do pdftotext -layout "$pdf" - ; done | grep -ci "$pattern" >/dev/null || true
  t1=$(now)
  route_best=$(best "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')" "$route_best")
done
printf 'archive: %d copies of %s, best of %d rounds, pattern %s\n' "$copies" "$report" "$rounds" "$pattern"
printf 'qrptool grep -r -i:       %.2f s (%d matching lines)\n' "$grep_best" "$(wc -l <"$work/grep.out")"
printf 'convert + pdftotext:      %.2f s\n' "$route_best"
printf 'speed-up: %.1fx\n' "$(awk -v a="$route_best" -v b="$grep_best" 'BEGIN { print a / b }')"
