#!/usr/bin/env bash
# Runs qrptool on every hostile input, each command in a child under prlimit (address space
# 1 GB, CPU 10 s; with "sanitized", the sanitizer's allocation limit and 60 s of CPU), and
# requires a clean end: exit status below 128 other than 1 (bad arguments). Times and peak
# memory are not judged here; bench/hostile_inputs.sh prints them.
# Usage: run_cases.sh QRPTOOL HOSTILEGEN [strict|sanitized]
set -uo pipefail
qrptool=${1:?usage: run_cases.sh QRPTOOL HOSTILEGEN [strict|sanitized]}
gen=${2:?usage: run_cases.sh QRPTOOL HOSTILEGEN [strict|sanitized]}
mode=${3:-strict}
work=$(mktemp -d "${TMPDIR:-/tmp}/qrp-hostile.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

if [ "$mode" = sanitized ]; then
  limits=(prlimit --cpu=60 --)
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1:max_allocation_size_mb=1000"
else
  limits=(prlimit --as=1000000000 --cpu=10 --)
fi

"$gen" "$work" || { echo "hostile: the generator failed" >&2; exit 1; }
mkfifo "$work/fifo.QRP"

failures=0
run() {
  local label=$1
  shift
  # The wall-clock limit catches a child that blocks without using CPU.
  timeout -k 5 300 "${limits[@]}" "$qrptool" "$@" </dev/null >"$work/out.log" 2>&1
  local status=$?
  if [ "$status" -ge 128 ] || [ "$status" -eq 1 ] || [ "$status" -eq 124 ]; then
    echo "FAIL $label: qrptool $* ended with status $status" >&2
    tail -n 20 "$work/out.log" >&2
    failures=$((failures + 1))
  else
    echo "ok   $label (status $status)"
  fi
  rm -rf "$work"/out*
}

while read -r name how; do
  file="$work/$name"
  case "$how" in
    render) run "$name" render "$file" --width 800 -o "$work/out.png" ;;
    render-all) run "$name" render "$file" --all --width 800 -o "$work/out-%d.png" ;;
    store)
      run "$name info" info "$file"
      mkdir -p "$work/out-pages"
      run "$name extract" extract "$file" -o "$work/out-pages"
      run "$name render" render "$file" --page 2147483647 --width 800 -o "$work/out.png"
      ;;
  esac
  [ "$name" = fifo.QRP ] || rm -f "$file"
done < <("$gen" --list; echo "fifo.QRP store")

if [ "$failures" -gt 0 ]; then
  echo "hostile: $failures command(s) did not end cleanly" >&2
  exit 1
fi
