#!/usr/bin/env bash
# Remakes the pictures in docs/ under Xvfb: the window after typing 漢字変換 (converted and
# confirmed) and きょう converted to its second candidate (the strip shows them all), the same at a scale
# factor of 2, the symbol picker, a phrase converted whole, scanning and dwell, and the words
# offered after a confirmation.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETA_BUILD_TESTS=OFF \
  -DLUMETA_BUILD_BENCH=OFF > /dev/null
cmake --build build/run -j "$(nproc)" --target lumeta-screenshot
mkdir -p docs
shot() { xvfb-run -a -s "-screen 0 1400x1100x24" build/run/tools/lumeta-screenshot "$@"; }
typing=(K A N N S S S I H E N N K A N N DOWN RET K Y O U DOWN DOWN)
shot docs/screenshot.png "${typing[@]}"
QT_SCALE_FACTOR=2 shot docs/screenshot-scale2.png "${typing[@]}"
shot docs/symbol-picker.png A I RET MODE MODE DOWN DOWN
# A phrase converted whole: きょうはいいてんきです ↓.
shot docs/phrase.png K Y O U H A I RIGHT I T E N K I T T E S U DOWN
# Two-switch scanning inside the row A K H, its frame on K, and dwell's progress on H.
shot --scan=two-switch --dwell=1 docs/scanning.png K A SWITCH STEP POINT:H
# Next-word offers: 画像 followed by を twice and が once, learned into a scratch file, then 画像
# confirmed once more.
learned=$(mktemp -d)
gazou=(K K A S S O U DOWN RET)
shot --learning-file "$learned/learning.sqlite3" docs/next-word.png \
  "${gazou[@]}" W O RET "${gazou[@]}" K K A RET "${gazou[@]}" W O RET "${gazou[@]}"
rm -rf "$learned"
echo "wrote docs/screenshot.png docs/screenshot-scale2.png docs/symbol-picker.png docs/phrase.png"
echo "      docs/scanning.png docs/next-word.png"
