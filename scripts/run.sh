#!/usr/bin/env bash
# Installs what is missing, builds Lumeta and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build/run -j "$(nproc)"
if [ -x build/run/src/ui/lumeta ]; then
  exec build/run/src/ui/lumeta "$@"
fi
# Until the window is built, the headless replay shows the engine at work: K A I ↓ types かい
# and converts it.
exec build/run/tools/lumeta-replay --trace K A I DOWN DOWN RET "$@"
