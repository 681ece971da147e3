#!/usr/bin/env bash
# Times whole `qrptool thumbnail` processes as a file manager runs them: page 1 of a report
# to a 256 px PNG, start-up included. The target is under 100 ms.
# Usage: bench/thumbnail_process.sh QRPTOOL INPUT [RUNS] [SIZE]   (default 21 runs, 256 px)
set -euo pipefail
qrptool=${1:?usage: thumbnail_process.sh QRPTOOL INPUT [RUNS] [SIZE]}
input=${2:?usage: thumbnail_process.sh QRPTOOL INPUT [RUNS] [SIZE]}
runs=${3:-21}
size=${4:-256}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$qrptool" thumbnail -s "$size" "$input" "$out/warm.png"  # fills the font and file caches
times=()
for ((i = 0; i < runs; ++i)); do
  start=$(date +%s%N)
  "$qrptool" thumbnail -s "$size" "$input" "$out/thumb.png"
  end=$(date +%s%N)
  times+=($(((end - start) / 1000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$((runs / 2))]}
printf '%s at %d px: %d runs, median %d.%03d ms, min %d.%03d ms, max %d.%03d ms (target < 100 ms)\n' \
  "$(basename "$input")" "$size" "$runs" $((median / 1000)) $((median % 1000)) $((sorted[0] / 1000)) \
  $((sorted[0] % 1000)) $((sorted[runs - 1] / 1000)) $((sorted[runs - 1] % 1000))
