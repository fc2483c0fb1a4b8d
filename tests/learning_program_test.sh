#!/usr/bin/env bash
# What Lumeta learns, as the real program keeps it across a restart, on a real X server (Xvfb):
# a candidate chosen with ↓ and 決定 is kept in $XDG_DATA_HOME/lumeta/learning.sqlite3 (0600 in
# a 0700 folder) and, after a restart, leads the strip after the first kana of its reading;
# --no-learning and --builtin-dictionary keep nothing; --forget-learning removes it all.
#
# Usage: learning_program_test.sh path/to/lumeta
set -euo pipefail
# shellcheck source=tests/desktop_lib.sh
source "$(dirname "$0")/desktop_lib.sh"
lumeta=$(realpath "$1")

if [ -z "${LUMETA_ON_XVFB:-}" ]; then
  export LUMETA_ON_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
scratch=$(mktemp -d)
export XDG_STATE_HOME=$scratch/state XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
store=$XDG_DATA_HOME/lumeta/learning.sqlite3
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2> /dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Starts Lumeta and waits until it takes clicks: a click on コピー copies its empty text. On a
# loaded machine (an ASan build beside other builds) that may take long; nothing waits longer
# than it must.
start_lumeta() {
  "$lumeta" "$@" >> "$scratch/lumeta.log" 2>&1 &
  pid=$!
  window=$(timeout 120 xdotool search --sync --onlyvisible --pid "$pid" --name '^Lumeta$' | head -n 1)
  for _ in $(seq 12); do
    [ -z "$(copied_text)" ] && return
  done
  echo "Lumeta took no click within a minute" >&2
}

declare -A key=(
  [A]="$(letter_key 1)" [K]="$(letter_key 2)" [U]="$(letter_key 7)" [RET]="561 89"
  [DOWN]="560 137" [QUIT]="92 452" [COPY]="224 452" [DELALL]="160 452"
  [FIRST_IN_STRIP]="34 62"
)
tap() {
  xdotool mousemove --window "$window" ${key[$1]} click 1
  sleep 0.4
}

quit_lumeta() {
  tap QUIT
  for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  wait "$pid" 2> /dev/null || true
  pid=""
}

failures=0
check() {  # check DESCRIPTION CONDITION...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# かく, ↓ three times, 決定: the third candidate is chosen and learned.
start_lumeta
tap K; tap A; tap K; tap U; tap DOWN; tap DOWN; tap DOWN; tap RET
chosen=$(copied_text)
quit_lumeta
check "the choice is in the store" grep -q "$chosen" <(sqlite3 "$store" 'SELECT spelling FROM choices')
check "the store is private" [ "$(stat -c %a "$store")" = 600 ]
check "its folder is private" [ "$(stat -c %a "$(dirname "$store")")" = 700 ]

# After a restart the learned word leads the strip after か: one click types it.
start_lumeta
tap K; tap A; tap FIRST_IN_STRIP
got=$(copied_text)
check "after a restart か and one click give $chosen (got $got)" [ "$got" = "$chosen" ]
quit_lumeta

# --no-learning and --builtin-dictionary keep nothing.
for option in --no-learning --builtin-dictionary; do
  export XDG_DATA_HOME=$scratch/data$option
  start_lumeta "$option"
  tap K; tap A; tap K; tap U; tap DOWN; tap RET
  quit_lumeta
  check "$option learns nothing" [ ! -e "$XDG_DATA_HOME/lumeta/learning.sqlite3" ]
done
export XDG_DATA_HOME=$scratch/data

# A store that cannot be written never stops typing.
export XDG_DATA_HOME=$scratch/not-a-folder
touch "$XDG_DATA_HOME"
start_lumeta
tap K; tap A; tap K; tap U; tap DOWN; tap DOWN; tap DOWN; tap RET; tap A
got=$(copied_text)
check "typing goes on when nothing can be learned (got $got)" [ "$got" = "${chosen}あ" ]
quit_lumeta
export XDG_DATA_HOME=$scratch/data

# --forget-learning removes the store and its journal, and exits without a window.
touch "$store-wal"
said=$(timeout 10 "$lumeta" --forget-learning) || failures=$((failures + 1))
check "--forget-learning removed the store" test ! -e "$store" -a ! -e "$store-wal"
check "--forget-learning says it removed it" grep -qF "removed what was learned ($store)" <<<"$said"
said=$(timeout 10 "$lumeta" --forget-learning) || failures=$((failures + 1))
check "--forget-learning says when nothing was there" grep -qF "nothing was learned" <<<"$said"

echo "$failures failed"
[ "$failures" -eq 0 ]
