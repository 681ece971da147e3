#!/usr/bin/env bash
# Times whole `qrptool thumbnail` processes as a file manager runs them: page 1 of a report
# to a 256 px PNG, start-up included. The target is under 100 ms. Wall time on a shared
# machine waits for the processor too, so the processor time (user + system) is given beside.
# Usage: bench/thumbnail_process.sh QRPTOOL INPUT [RUNS] [SIZE]   (default 21 runs, 256 px)
set -euo pipefail
qrptool=${1:?usage: thumbnail_process.sh QRPTOOL INPUT [RUNS] [SIZE]}
input=${2:?usage: thumbnail_process.sh QRPTOOL INPUT [RUNS] [SIZE]}
runs=${3:-21}
size=${4:-256}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$qrptool" thumbnail -s "$size" "$input" "$out/warm.png"  # fills the font and file caches
TIMEFORMAT='%R %U %S'
for ((i = 0; i < runs; ++i)); do
  { time "$qrptool" thumbnail -s "$size" "$input" "$out/thumb.png"; } 2>>"$out/times"
done
median() { sort -n | sed -n "$((runs / 2 + 1))p"; }
wall=$(awk '{printf "%d\n", $1 * 1000}' "$out/times" | median)
cpu=$(awk '{printf "%d\n", ($2 + $3) * 1000}' "$out/times" | median)
min=$(awk '{printf "%d\n", $1 * 1000}' "$out/times" | sort -n | head -1)
printf '%s at %d px: %d runs, median %d ms wall (min %d ms), median %d ms processor (target < 100 ms)\n' \
  "$(basename "$input")" "$size" "$runs" "$wall" "$min" "$cpu"
