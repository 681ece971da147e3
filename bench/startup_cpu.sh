#!/usr/bin/env bash
# CPU time (user + system) of whole qrptool processes, start-up included: `--version` and a
# one-page `render` to PNG. Prints the median of RUNS runs of each (default 31).
#   bench/startup_cpu.sh [QRPTOOL] [REPORT] [RUNS]
# Defaults: build/tools/qrptool, samples/laudo.QRP. CPU time, not wall time: the machine
# may be shared. Qt chooses its own platform unless QT_QPA_PLATFORM is set.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
qrptool=${1:-build/tools/qrptool}
report=${2:-samples/laudo.QRP}
runs=${3:-31}
[ -x "$qrptool" ] || { echo "no $qrptool: build the qrptool target first" >&2; exit 1; }
out=$(mktemp -d /tmp/qrp-startup-bench.XXXXXX)
trap 'rm -rf "$out"' EXIT
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$out/runtime}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"

# Median CPU milliseconds of a command over RUNS runs, after one run that fills the caches.
median_cpu() {
  "$@" >/dev/null
  local samples=() t
  TIMEFORMAT='%3U %3S'
  for ((i = 0; i < runs; ++i)); do
    t=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    samples+=("$(awk '{ printf "%d", ($1 + $2) * 1000 + 0.5 }' <<<"$t")")
  done
  printf '%s\n' "${samples[@]}" | sort -n | awk -v n="$runs" 'NR == int(n / 2) + 1 { print }'
}

printf 'qrptool --version:        %4d ms CPU (median of %d)\n' "$(median_cpu "$qrptool" --version)" "$runs"
printf 'qrptool render page 1 png: %4d ms CPU (median of %d)\n' \
  "$(median_cpu "$qrptool" render "$report" --width 794 -o "$out/page.png")" "$runs"
