#!/usr/bin/env bash
# Builds Veranth and runs every test. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cd build
ctest --output-on-failure -j "${VERANTH_JOBS:-2}" --timeout 600
