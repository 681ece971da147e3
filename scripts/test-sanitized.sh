#!/usr/bin/env bash
# One clang build serves three checks: warnings as errors under clang, every CTest label
# under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, and the libFuzzer
# targets (built in the same tree: the libraries carry coverage instrumentation, which the
# sanitizer runtime accepts in ordinary programs too).
#   BUILD_DIR    build folder (default build-sanitized)
#   FUZZ_SECONDS seconds per fuzz target (default 60; 0 builds the targets but runs none)
# Any sanitizer report or fuzzer finding makes the script fail. Expects the environment
# scripts/test.sh sets up (headless Qt, a print server when there is one).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="${BUILD_DIR:-build-sanitized}"
seconds="${FUZZ_SECONDS:-60}"

# -O1 keeps the tests quick enough under the sanitizers; line tables are all the reports
# need and keep the build and its links small.
CC=clang CXX=clang++ BUILD_DIR="$build" scripts/build.sh -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -gline-tables-only" "-DCMAKE_C_FLAGS_DEBUG=-O1 -gline-tables-only" \
  -DQRP_WERROR=ON -DQRP_FUZZ=ON -DQRP_BENCH=OFF "-DQRP_SANITIZE=address;undefined"

export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Qt's JPEG plugin brings libjpeg, which has thread-local storage, and unloads it when the
# application object goes; this leak checker then reads the freed slot at exit and crashes.
# Loaded from the start, the library is never unloaded.
export LD_PRELOAD="${LD_PRELOAD:+$LD_PRELOAD:}libjpeg.so.62"

status=0
# The Debian package is built and checked from the GCC build; building it again here would
# only rebuild the tree.
(cd "$build" && ctest --output-on-failure -j2 --timeout 900 -E '^packaging\.debian_package$') || status=1
[ "$seconds" -gt 0 ] && { scripts/fuzz.sh "$build" "$seconds" || status=1; }
exit $status
