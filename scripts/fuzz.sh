#!/usr/bin/env bash
# Runs every libFuzzer target of a build from its seed corpus for a fixed time, with leak
# detection on and a time and memory limit per input; any finding fails.
# Usage: scripts/fuzz.sh BUILD_DIR [SECONDS]   (default 60 per target)
# Seeds: the shared corpus (../shared/corpus) and the samples; findings land in
# BUILD_DIR/fuzz-findings/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:?usage: fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
shared="$root/../shared/corpus"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen

seeds_for() {
  case "$1" in
    wmf_convert_fuzz) echo "$shared/wmf $shared/emf" ;;
    reportfile_load_fuzzer) echo "$root/samples" ;;
    *) echo "$shared/emf" ;;
  esac
}

status=0
found=0
for target in "$build"/fuzz/*; do
  [ -x "$target" ] && [ -f "$target" ] || continue
  name=$(basename "$target")
  found=$((found + 1))
  work="$build/fuzz-work/$name"
  findings="$build/fuzz-findings/$name"
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  seeds=()
  for d in $(seeds_for "$name"); do
    if [ -d "$d" ]; then
      seeds+=("$d")
    elif [ -n "${CI:-}" ]; then
      echo "fuzz.sh: seed folder $d missing" >&2
      status=1
    fi
  done
  echo "== $name: ${seconds}s from ${seeds[*]:-no seeds}"
  # The first folder collects new inputs; the seed folders are only read.
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
      -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$findings/" "$work" "${seeds[@]}" \
      >"$build/fuzz-work/$name.log" 2>&1; then
    tail -n 60 "$build/fuzz-work/$name.log"
    echo "fuzz.sh: $name found a fault; inputs in $findings" >&2
    status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$build/fuzz-work/$name.log" || true
  fi
done
if [ "$found" -eq 0 ]; then
  echo "fuzz.sh: no fuzz targets in $build/fuzz" >&2
  status=1
fi
exit $status
