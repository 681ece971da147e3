#!/usr/bin/env bash
# The table of hostile inputs: CPU time, wall time and peak memory (/usr/bin/time) of each
# qrptool command on each case of the hostile-input suite, at 800 pixels wide.
# Usage: bench/hostile_inputs.sh QRPTOOL HOSTILEGEN [CPU_SECONDS] [CASE...]
#   QRPTOOL may come from an older build: the inputs are made by HOSTILEGEN.
#   CPU_SECONDS caps each command (default 20); a command stopped by the cap shows its
#   status as "killed".
set -uo pipefail
qrptool=${1:?usage: hostile_inputs.sh QRPTOOL HOSTILEGEN [CPU_SECONDS] [CASE...]}
gen=${2:?usage: hostile_inputs.sh QRPTOOL HOSTILEGEN [CPU_SECONDS] [CASE...]}
cpu=${3:-20}
shift $(($# < 3 ? $# : 3))
work=$(mktemp -d "${TMPDIR:-/tmp}/qrp-hostile-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

"$gen" "$work" "$@" || exit 1
printf '%-28s %-8s %7s %7s %8s %s\n' case command "cpu s" "wall s" "peak MB" status
measure() {
  local name=$1 label=$2
  shift 2
  timeout -k 5 $((cpu * 10)) prlimit --cpu="$cpu" --as=6000000000 -- \
    /usr/bin/time -o "$work/time" -f '%U %S %e %M %x' "$qrptool" "$@" </dev/null >/dev/null 2>"$work/err"
  local status=$?
  local user sys wall rss code
  if read -r user sys wall rss code < <(grep -E '^[0-9.]+ [0-9.]+ [0-9.]+ [0-9]+ ' "$work/time" | tail -n 1); then
    :
  else
    user=0 sys=0 wall=0 rss=0 code=$status
  fi
  local shown=$code
  if grep -q "terminated by signal" "$work/time" || [ "$status" -ge 124 ]; then shown=killed; fi
  printf '%-28s %-8s %7.2f %7.2f %8d %s\n' "$name" "$label" "$(awk "BEGIN { print $user + $sys }")" "$wall" \
    $((rss / 1024)) "$shown"
  rm -rf "$work"/out*
}
while read -r name how; do
  [ -e "$work/$name" ] || continue
  file="$work/$name"
  case "$how" in
    render) measure "$name" render render "$file" --width 800 -o "$work/out.png" ;;
    render-all) measure "$name" render render "$file" --all --width 800 -o "$work/out-%d.png" ;;
    store)
      measure "$name" info info "$file"
      mkdir -p "$work/out-pages"
      measure "$name" extract extract "$file" -o "$work/out-pages"
      measure "$name" render render "$file" --page 2147483647 --width 800 -o "$work/out.png"
      ;;
  esac
done < <("$gen" --list)
