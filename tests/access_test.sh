#!/usr/bin/env bash
# Dwell and scanning on a real X server (Xvfb) with a window manager (openbox): the pointer is
# moved and the keys are sent through XTest, and the typed text is read back from the draft
# Lumeta writes a second after each change.
#
#   --dwell=0.8: resting 1.3 s on A types あ; sweeping over six keys at 0.3 s each types
#   nothing; resting on K for three dwell periods gives the third letter of its cycle (Ｑ);
#   the pause key stops dwell.
#   --scan=two-switch: Enter Enter types あ, and the letter keys type nothing.
#   --scan=one-switch --scan-interval=0.5: once resting after two idle rounds, woken by Space,
#   Space then Space types あ; mouse buttons do the same.
#   The settings panel opened and changed by dwell writes lumeta.conf, private.
#
# Usage: access_test.sh path/to/lumeta
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lumeta=$(realpath "$1")

if [ -z "${LUMETA_ON_XVFB:-}" ]; then
  export LUMETA_ON_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi
# shellcheck source=desktop_lib.sh
source "$here/desktop_lib.sh"

scratch=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
ok() { echo "ok: $1"; }
fail() {
  echo "FAILED: $1"
  failures=$((failures + 1))
}

expect_draft() {  # expect_draft DESCRIPTION WANTED
  local got
  got=$(draft_text "$draft" "$2")
  if [ "$got" = "$2" ]; then ok "$1: '$got'"; else fail "$1: wanted '$2', got '$got'"; fi
}

export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
openbox --config-file /dev/null > "$scratch/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# Starts Lumeta with the options given, in a state and config folder of its own (NAME).
start() {  # start NAME OPTION ...
  local name=$1
  shift
  mkdir -p "$scratch/$name/state" "$scratch/$name/config"
  xdotool mousemove 1000 750  # away from where the window will be
  XDG_STATE_HOME=$scratch/$name/state XDG_CONFIG_HOME=$scratch/$name/config \
    XDG_DATA_HOME=$scratch/$name/data "$lumeta" --no-learning "$@" > "$scratch/$name/log" 2>&1 &
  pids+=($!)
  lumeta_pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$lumeta_pid" --name '^Lumeta$' | head -n 1)
  xdotool windowactivate --sync "$window" 2> /dev/null || true
  sleep 1
  draft=$scratch/$name/state/lumeta/draft.txt
}
stop() {
  kill "$lumeta_pid" 2> /dev/null || true
  wait "$lumeta_pid" 2> /dev/null || true
}
point() {  # point X Y: the pointer to X, Y of the window's client area
  xdotool mousemove --window "$window" "$1" "$2"
}
rest=(200 250)  # over the text: nothing happens there

# ---- Dwell ---------------------------------------------------------------------------------
start dwell --dwell=0.8
point "${rest[@]}"
sleep 0.5
point $(letter_key 1)
sleep 1.3
point "${rest[@]}"
expect_draft "dwell: 1.3 s on A" "あ"
for key in 2 3 5 6 8 9; do  # K H S M T Y, 0.3 s each
  point $(letter_key "$key")
  sleep 0.3
done
point "${rest[@]}"
sleep 1.5
expect_draft "dwell: a sweep over six keys at 0.3 s each" "あ"
point $(letter_key 2)
sleep 2.7  # presses at 0.8, 1.6 and 2.4 s
point "${rest[@]}"
expect_draft "dwell: three dwell periods on K" "あＱ"
# 休止: dwelt on, dwell stops; A then types nothing until 休止 is dwelt on again.
point 469 89
sleep 1.1
point $(letter_key 1)
sleep 1.5
point "${rest[@]}"
sleep 1
expect_draft "dwell: paused, A types nothing" "あＱ"
point 469 89
sleep 1.1
point $(letter_key 1)
sleep 1.1
point "${rest[@]}"
expect_draft "dwell: resumed, A types again (Ｑ then A is くぁ)" "あくぁ"
# 設定 by dwell, then ＋ of the dwell time: lumeta.conf keeps 0.9 s, readable by the user alone.
point 632 28
sleep 1.1
point "${rest[@]}"
sleep 0.3
point 310 150  # the panel's ＋ beside the dwell time
sleep 1.1
point "${rest[@]}"
conf=$scratch/dwell/config/lumeta/lumeta.conf
for _ in $(seq 30); do [ -s "$conf" ] && break; sleep 0.1; done
if grep -q '^dwell=0.9$' "$conf" 2> /dev/null && [ "$(stat -c %a "$conf")" = 600 ] &&
  [ "$(stat -c %a "$(dirname "$conf")")" = 700 ]; then
  ok "dwell: the settings panel keeps the new dwell time in a private lumeta.conf"
else
  fail "dwell: lumeta.conf: $(cat "$conf" 2> /dev/null || echo missing), mode $(stat -c %a "$conf" 2> /dev/null)"
fi
stop

# ---- Two switches --------------------------------------------------------------------------
start two --builtin-dictionary --scan=two-switch
xdotool key --window "$window" a k  # letters type nothing in scan mode
xdotool key --window "$window" Return
sleep 0.3
xdotool key --window "$window" Return
expect_draft "two switches: Enter Enter" "あ"
# Space steps to the row I S M; Enter, Space, Enter: S.
xdotool key --window "$window" space Return space Return
expect_draft "two switches: Space Enter Space Enter" "あＳ"
stop

# ---- One switch ----------------------------------------------------------------------------
# The highlight moves by itself; after two rounds over the seven groups (7 s, more on a busy
# machine) it rests on the first until a press wakes it.
start one --builtin-dictionary --scan=one-switch --scan-interval=0.5
sleep 9
xdotool key --window "$window" space  # wakes it on the row A K H
sleep 0.1
xdotool key --window "$window" space
sleep 0.1
xdotool key --window "$window" space
expect_draft "one switch at 0.5 s: woken, Space then Space" "あ"
# Any mouse button is the switch too: woken by a click, a click picks the row, another A —
# A's second tap, so あ becomes ぁ.
sleep 9
xdotool mousemove --window "$window" 200 250 click 1
sleep 0.1
xdotool click 3
sleep 0.1
xdotool click 1
expect_draft "one switch: mouse clicks" "ぁ"
stop

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all passed"
