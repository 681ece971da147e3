#!/usr/bin/env bash
# qrpview's command line without a display: --help and --version answer on standard output
# with status 0 and open no window; with no display to open, one line and status 1.
set -u
qrpview=$1 version=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No display of any kind, and no platform chosen: what a text console gives.
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work" "$@"; }

for opt in --help -h; do
  bare "$qrpview" "$opt" >"$work/out" 2>"$work/err"; rc=$?
  [ "$rc" -eq 0 ] || fail "$opt: status $rc"
  grep -q '^Uso: qrpview' "$work/out" || fail "$opt: no usage line on standard output"
  grep -q -- '--version' "$work/out" || fail "$opt: the options are not listed"
  [ -s "$work/err" ] && fail "$opt: wrote to standard error: $(cat "$work/err")"
done
for opt in --version -v; do
  bare "$qrpview" "$opt" >"$work/out" 2>"$work/err"; rc=$?
  [ "$rc" -eq 0 ] || fail "$opt: status $rc"
  [ "$(cat "$work/out")" = "qrpview $version" ] || fail "$opt: printed '$(cat "$work/out")'"
done
# The option wins wherever it stands; after "--" it is a file name like any other.
bare "$qrpview" some.QRP --version >"$work/out" 2>&1 || fail "a file before --version"
grep -q "^qrpview $version\$" "$work/out" || fail "--version after a file name"

# No display: one clear line, status 1, no abort (an abort gives 134).
check_no_display() {
  local what=$1; shift
  "$@" >"$work/out" 2>"$work/err"; rc=$?
  [ "$rc" -eq 1 ] || fail "$what: status $rc, not 1"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$what: standard error is not one line: $(cat "$work/err")"
  grep -q 'DISPLAY' "$work/err" || fail "$what: the line does not name DISPLAY"
  [ -s "$work/out" ] && fail "$what: wrote to standard output"
}
check_no_display "no DISPLAY" bare "$qrpview"
check_no_display "no DISPLAY, a file named" bare "$qrpview" "$work/none.QRP"
check_no_display "a display nobody serves" env -u WAYLAND_DISPLAY DISPLAY=:4917 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" "$qrpview"
check_no_display "a file named --" bare "$qrpview" -- --help

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
exit $((failures > 0))
