#!/usr/bin/env bash
# Installs what is missing, builds, and shows the bundled sample report.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build="${BUILD_DIR:-build}"
BUILD_DIR="$build" scripts/build.sh
if [ -x "$build"/viewer/qrpview ]; then
  exec "$build"/viewer/qrpview samples/laudo.QRP
fi
exec "$build"/tools/qrptool info samples/laudo.QRP
