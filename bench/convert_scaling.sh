#!/usr/bin/env bash
# How qrptool convert scales with its workers: converts COPIES copies of a report to PDF
# with -j 1 and with -j 2 (each run into an empty folder), keeps the best of ROUNDS runs of
# each, and prints both times and the speed-up.
#   bench/convert_scaling.sh [BUILD_DIR] [REPORT] [COPIES] [ROUNDS]
# Defaults: build, samples/laudo.QRP, 100 copies, 3 rounds. Wall-clock times: run it on a
# quiet machine.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
build=${1:-build}
report=${2:-samples/laudo.QRP}
copies=${3:-100}
rounds=${4:-3}
qrptool="$build/tools/qrptool"
[ -x "$qrptool" ] || { echo "no $qrptool: build the qrptool target first" >&2; exit 1; }
[ -f "$report" ] || { echo "no report $report" >&2; exit 1; }

work=$(mktemp -d /tmp/qrp-convert-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
for i in $(seq 1 "$copies"); do cp "$report" "$work/in/copy$i.QRP"; done
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"

# Best wall time in seconds of `qrptool convert` with the given number of jobs.
best_time() {
  local jobs=$1 best="" t0 t1 t
  for _ in $(seq 1 "$rounds"); do
    rm -rf "$work/out"
    t0=$(date +%s.%N)
    "$qrptool" convert "$work/in" -o "$work/out" -j "$jobs" >/dev/null
    t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

pages=$("$qrptool" convert "$work/in/copy1.QRP" -o "$work/probe" | sed -n 's/.*(\([0-9]*\) page.*/\1/p')
one=$(best_time 1)
two=$(best_time 2)
printf 'reports: %d copies of %s (%s pages each), best of %d rounds\n' "$copies" "$report" "$pages" "$rounds"
printf -- '-j 1: %.2f s\n-j 2: %.2f s\n' "$one" "$two"
printf 'speed-up: %.2fx\n' "$(awk -v a="$one" -v b="$two" 'BEGIN { print a / b }')"
