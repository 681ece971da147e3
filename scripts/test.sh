#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole project with GCC, warnings as errors, all CTest labels;
#   2. the whole project again with clang, warnings as errors, every CTest label under
#      AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, then every libFuzzer
#      target for FUZZ_SECONDS (default 60) from its seeds (scripts/test-sanitized.sh);
#   3. the core cross-compiled for Windows, its tests run under wine.
# Tests that need a print server run against a private CUPS server with a PDF queue,
# started here and stopped by its own process id.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/qrp-runtime.XXXXXX)}"
chmod 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen

BUILD_DIR=build scripts/build.sh -DQRP_WERROR=ON

cups_pid=""
if [ -x scripts/cups-test-server.sh ]; then
  cups_pid=$(scripts/cups-test-server.sh start || true)
fi
# The printing tests find the private server and its queue in CUPS_SERVER and QRP_TEST_PRINTER.
[ -n "$cups_pid" ] && eval "$(scripts/cups-test-server.sh env "$cups_pid")"
stop_cups() { [ -n "$cups_pid" ] && scripts/cups-test-server.sh stop "$cups_pid" || true; }
trap stop_cups EXIT

status=0
(cd build && ctest --output-on-failure -j2 --timeout 900) || status=1

scripts/test-sanitized.sh || status=1

# The Qt-free core cross-compiled for Windows, its tests run under wine.
scripts/windows-core-test.sh || status=1

exit $status
