#!/usr/bin/env bash
# Remakes docs/screenshot.png: the window under Xvfb after typing 漢字変換 (converted and
# confirmed) and とうきょう (still a reading).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETA_BUILD_TESTS=OFF \
  -DLUMETA_BUILD_BENCH=OFF > /dev/null
cmake --build build/run -j "$(nproc)" --target lumeta-screenshot
mkdir -p docs
xvfb-run -a -s "-screen 0 1024x768x24" build/run/tools/lumeta-screenshot docs/screenshot.png \
  K A N N S S S I H E N N K A N N DOWN RET T O U K Y O U
echo "wrote docs/screenshot.png"
