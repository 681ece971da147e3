#!/usr/bin/env bash
# Cross-compiles the Qt-free core (base, emf, reportfile) and its tests for 64-bit Windows
# with mingw-w64 and runs the tests under wine. BUILD_DIR defaults to build-windows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh wine wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest

build="${BUILD_DIR:-build-windows}"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQRP_WERROR=ON "$@" >/dev/null
# The core and its test programs.
cmake --build "$build" -j"$(nproc)" --target base_tests emf_tests reportfile_tests

# A private wine prefix, made once per build folder; the tests' temporary files go there too.
export WINEPREFIX="$(pwd)/$build/wineprefix" WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true
status=0
(cd "$build" && ctest --output-on-failure --timeout 900 -R "^(base|emf|reportfile)_tests$") || status=1
wineserver -k 2>/dev/null || true
exit $status
