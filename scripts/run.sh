#!/usr/bin/env bash
# Installs what is missing, builds Lumeta and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETA_BUILD_TESTS=OFF \
  -DLUMETA_BUILD_BENCH=OFF > /dev/null
cmake --build build/run -j "$(nproc)" --target lumeta
exec build/run/src/ui/lumeta "$@"
