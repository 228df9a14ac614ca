#!/usr/bin/env bash
# Configures and builds everything into build/ (two jobs: the machines have two cores).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo --log-level=WARNING
ninja -C build -j "${VERANTH_JOBS:-2}"
