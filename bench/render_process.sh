#!/usr/bin/env bash
# Times whole `qrptool render` processes, one page to PNG, start-up included.
# Usage: bench/render_process.sh QRPTOOL INPUT [RUNS]   (default 21 runs; prints the median)
set -euo pipefail
qrptool=${1:?usage: render_process.sh QRPTOOL INPUT [RUNS]}
input=${2:?usage: render_process.sh QRPTOOL INPUT [RUNS]}
runs=${3:-21}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$qrptool" render "$input" --width 794 -o "$out/warm.png"  # fills the font and file caches
times=()
for ((i = 0; i < runs; ++i)); do
  start=$(date +%s%N)
  "$qrptool" render "$input" --width 794 -o "$out/page.png"
  end=$(date +%s%N)
  times+=($(((end - start) / 1000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$((runs / 2))]}
printf '%s: %d runs, median %d.%03d ms, min %d.%03d ms, max %d.%03d ms\n' "$(basename "$input")" "$runs" \
  $((median / 1000)) $((median % 1000)) $((sorted[0] / 1000)) $((sorted[0] % 1000)) \
  $((sorted[runs - 1] / 1000)) $((sorted[runs - 1] % 1000))
