#!/usr/bin/env bash
# Pages per CPU-second of `qrptool convert` to PDF, for one or more builds in the same run:
# COPIES copies of a report, at -j 1 and -j 2, the best of ROUNDS runs each. CPU time
# (user + system of the whole process), not wall time: the machine may be shared.
#   bench/convert_pages_cpu.sh [REPORT] [COPIES] [ROUNDS] QRPTOOL...
# Example: bench/convert_pages_cpu.sh samples/laudo.QRP 40 3 ../base/build/tools/qrptool build/tools/qrptool
set -euo pipefail
export LC_ALL=C
report=${1:?usage: convert_pages_cpu.sh REPORT COPIES ROUNDS QRPTOOL...}
copies=${2:?}
rounds=${3:?}
shift 3
work=$(mktemp -d /tmp/qrp-convert-cpu.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
for i in $(seq 1 "$copies"); do cp "$report" "$work/in/copy$i.QRP"; done
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
TIMEFORMAT='%3U %3S'
for qrptool in "$@"; do
  pages=$("$qrptool" convert "$work/in/copy1.QRP" -o "$work/probe" | sed -n 's/.*(\([0-9]*\) page.*/\1/p')
  rm -rf "$work/probe"
  for jobs in 1 2; do
    best=""
    for _ in $(seq 1 "$rounds"); do
      rm -rf "$work/out"
      t=$({ time "$qrptool" convert "$work/in" -o "$work/out" -j "$jobs" >/dev/null 2>&1; } 2>&1)
      cpu=$(awk '{ print $1 + $2 }' <<<"$t")
      if [ -z "$best" ] || awk -v a="$cpu" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$cpu; fi
    done
    awk -v q="$qrptool" -v j="$jobs" -v c="$best" -v p=$((pages * copies)) \
      'BEGIN { printf "%s -j %d: %d pages, %.2f s CPU, %.1f pages per CPU-second\n", q, j, p, c, p / c }'
  done
done
