#!/usr/bin/env bash
# A private CUPS server with one PDF queue for the printing tests.
#
#   cups-test-server.sh start      starts it; prints the server's process id on standard
#                                  output, or nothing when CUPS cannot start here
#   cups-test-server.sh env PID    prints the shell exports the tests read:
#                                  CUPS_SERVER (the server's socket), QRP_TEST_PRINTER (the
#                                  queue), QRP_TEST_PRINTER_OUTPUT (where its PDFs land) and
#                                  QRP_TEST_PRINTER_SPOOL (the documents as the server
#                                  received them, dNNNNN-001 for job NNNNN)
#   cups-test-server.sh stop PID   stops that server and removes its files
#
# The server listens only on a socket in its own temporary folder and knows only its own
# queue, so the tests never reach another printer. It needs root (the PDF backend runs as
# root) and the cups, cups-client and printer-driver-cups-pdf packages.
set -uo pipefail

queue=QRP_Test_PDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
link_prefix=${TMPDIR:-/tmp}/qrp-cups-server.

log() { echo "cups-test-server: $*" >&2; }

start() {
  if [ "$(id -u)" -ne 0 ]; then log "not root: no print server"; return 0; fi
  local cupsd lpadmin
  cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
  lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)
  if [ ! -x "$cupsd" ] || [ ! -x "$lpadmin" ] || [ ! -f "$ppd" ] || [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    log "cups or the PDF driver is not installed"; return 0
  fi
  local dir
  dir=$(mktemp -d "${TMPDIR:-/tmp}/qrp-cups.XXXXXX") || return 0
  chmod 0755 "$dir"
  mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log"
  chgrp lp "$dir/spool" "$dir/spool/tmp" "$dir/cache" 2>/dev/null || true
  chmod 0710 "$dir/spool"; chmod 1770 "$dir/spool/tmp"; chmod 0770 "$dir/cache"
  cat >"$dir/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $dir/cups.sock
Browsing No
WebInterface No
PreserveJobFiles Yes
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
FileDevice No
CONF
  setsid "$cupsd" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" \
    </dev/null >>"$dir/log/cupsd.out" 2>&1 &
  local pid=$!
  export CUPS_SERVER="$dir/cups.sock"
  local i
  for i in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    if LC_ALL=C lpstat -r 2>/dev/null | grep -q "scheduler is running"; then break; fi
    sleep 0.1
  done
  if ! LC_ALL=C lpstat -r 2>/dev/null | grep -q "scheduler is running"; then
    log "cupsd did not start: $(tail -n 3 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tr '\n' ' ')"
    kill "$pid" 2>/dev/null; rm -rf "$dir"; return 0
  fi
  if ! "$lpadmin" -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2>>"$dir/log/cupsd.out" ||
     ! cupsenable "$queue" || ! cupsaccept "$queue" || ! "$lpadmin" -d "$queue"; then
    log "could not make the PDF queue: $(tail -n 3 "$dir/log/cupsd.out" | tr '\n' ' ')"
    kill "$pid" 2>/dev/null; rm -rf "$dir"; return 0
  fi
  ln -sfn "$dir" "$link_prefix$pid"
  echo "$pid"
}

env_of() {
  local pid=$1 dir
  dir=$(readlink "$link_prefix$pid") || { log "no server $pid"; return 1; }
  local home
  home=$(getent passwd "$(id -un)" | cut -d: -f6)
  echo "export CUPS_SERVER='$dir/cups.sock'"
  echo "export QRP_TEST_PRINTER='$queue'"
  echo "export QRP_TEST_PRINTER_OUTPUT='${home:-$HOME}/PDF'"
  echo "export QRP_TEST_PRINTER_SPOOL='$dir/spool'"
}

stop() {
  local pid=$1 dir
  dir=$(readlink "$link_prefix$pid" 2>/dev/null) || dir=""
  if [ -n "$dir" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    local i
    for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$link_prefix$pid"
  case "$dir" in
    "${TMPDIR:-/tmp}"/qrp-cups.*) rm -rf "$dir" ;;
  esac
}

case "${1:-}" in
  start) start ;;
  env) [ -n "${2:-}" ] && env_of "$2" ;;
  stop) [ -n "${2:-}" ] && stop "$2" ;;
  *) echo "usage: $0 start | env PID | stop PID" >&2; exit 1 ;;
esac
