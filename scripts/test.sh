#!/usr/bin/env bash
# Installs what is missing, builds Lumeta and runs the whole test suite twice: a normal build,
# then one with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests

jobs=$(nproc)
for variant in release asan; do
  dir=build/test-$variant
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
  [ "$variant" = asan ] && options+=(-DLUMETA_SANITIZE=ON -DLUMETA_BUILD_BENCH=OFF)
  echo "== $variant build"
  cmake -S . -B "$dir" "${options[@]}" > /dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== $variant tests"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
