#!/usr/bin/env bash
# Lumeta on a real X server (Xvfb): clicks sent through the XTest extension with xdotool, the
# result read back through the copy key and the clipboard. Two clicks on one key, 150 ms
# apart, fall inside the double-click interval; each must count as a tap of its own.
#
# Usage: real_display_test.sh path/to/lumeta
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
export XDG_STATE_HOME=$scratch/state
export XDG_CONFIG_HOME=$scratch/config
export XDG_DATA_HOME=$scratch/data  # what the test confirms is not learned for the user
pid=""
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

start_lumeta() {
  "$lumeta" "$@" >> "$scratch/lumeta.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  window=$(timeout 30 xdotool search --sync --all --onlyvisible --pid "$pid" --name '^Lumeta$' |
    head -n 1)
  sleep 1  # let the window settle before the first click
}

# Quits the Lumeta of `window` and `pid` with its 終了 key and waits for it to end.
quit_lumeta() {
  tap QUIT
  for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2> /dev/null; then
    echo "FAILED: 終了 did not quit"
    failures=$((failures + 1))
  fi
  wait "$pid" 2> /dev/null || true
}
start_lumeta

# Centres of the keys in the window's client area (the window's fixed layout).
declare -A key=(
  [A]="$(letter_key 1)" [K]="$(letter_key 2)" [I]="$(letter_key 4)" [S]="$(letter_key 5)"
  [U]="$(letter_key 7)" [E]="$(letter_key 10)" [N]="$(letter_key 11)" [O]="$(letter_key 13)"
  [BS]="632 172" [RET]="561 89" [DOWN]="560 137"
  [MODE]="480 28" [QUIT]="92 452" [COPY]="224 452" [DELALL]="160 452" [UNDO]="224 486"
  [OFFER1]="37 62"  # the first word of the strip, right after a confirmation
)

# Clicks a key: `tap NAME [COUNT [BUTTON]]`, COUNT clicks 150 ms apart.
tap() {
  local count=${2:-1} button=${3:-1}
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" ${key[$1]} click --repeat "$count" --delay 150 "$button"
  sleep 0.5  # longer than the double-click interval: the next click starts afresh
}

failures=0
expect() {  # expect DESCRIPTION WANTED
  local got
  got=$(copied_text)
  if [ "$got" = "$2" ]; then
    echo "ok: $1: $got"
  else
    echo "FAILED: $1: wanted '$2', got '$got'"
    failures=$((failures + 1))
  fi
  tap DELALL
}

tap N 2
expect "N N gives ん" "ん"

tap A 2
expect "A A gives ぁ" "ぁ"

tap K 2 3
expect "K K with the right button gives Ｇ" "Ｇ"

tap K; tap A; tap I; tap DOWN 2
expect "K A I, then ↓ ↓ shows the second candidate" "会"

tap A; tap I; tap U; tap RET
tap BS 2
expect "two fast clicks on クリア delete two characters" "あ"

tap A; tap I; tap U
xdotool mousemove --window "$window" 58 138 click 1  # in the text, before あ
sleep 0.5
tap K; tap A
expect "a click in the text is where typing goes on" "かあいう"

tap A; tap RET; tap DELALL 2; tap UNDO
expect "消去 clicked twice, then 元に戻す" "あ"

# がぞう ↓ 決定 (画像), then かい ↓ 決定 (回), twice: 回 is learned after 画像.
type_gazou_kai() {
  tap K 2; tap A; tap S 2; tap O; tap U; tap DOWN; tap RET
  tap K; tap A; tap I; tap DOWN; tap RET
}
type_gazou_kai
type_gazou_kai
expect "two words typed and converted twice" "画像回画像回"

tap MODE; tap MODE
# The picker's second cell, in the display's place.
xdotool mousemove --window "$window" 97 171 click --repeat 2 --delay 150 1
sleep 0.5
tap RET
expect "a symbol clicked twice is typed twice" "●●"

# The text outlives the program: 終了 writes the draft, and after a restart 元に戻す brings it
# back.
tap K; tap A
quit_lumeta
draft=$XDG_STATE_HOME/lumeta/draft.txt
# The header, then ●● erased by 消去 and kept for 元に戻す (6 bytes), then か on display.
if [ "$(stat -c %a "$draft" 2> /dev/null)" = 600 ] && [ "$(sed -n 3p "$draft")" = "kept 6" ] &&
  [ "$(tail -n +4 "$draft")" = "●●か" ]; then
  echo "ok: 終了 kept the text in the draft"
else
  echo "FAILED: the draft after 終了: $(stat -c %a "$draft" 2>&1) $(cat "$draft" 2>&1)"
  failures=$((failures + 1))
fi
start_lumeta
tap UNDO
expect "after a restart 元に戻す brings the text back" "●●か"

# What followed what outlives the program too: after 画像 the strip offers 回 first.
tap K 2; tap A; tap S 2; tap O; tap U; tap DOWN; tap RET
tap OFFER1
expect "after a restart the word learned after 画像 is offered first" "画像回"

# With --no-learning nothing learned is offered.
quit_lumeta
start_lumeta --no-learning
tap K 2; tap A; tap S 2; tap O; tap U; tap DOWN; tap RET
tap OFFER1
got=$(copied_text)
if [ "$got" != "画像回" ] && [ "${got#画像}" != "$got" ]; then
  echo "ok: with --no-learning the learned word is not offered: $got"
else
  echo "FAILED: with --no-learning: got '$got'"
  failures=$((failures + 1))
fi

# Two Lumetas on one state folder, each a process of its own: A types あいう, B starts beside
# it and types かき, A types え. B keeps its text in a draft of its own, and after both quit
# and a restart 元に戻す brings back A's text, then B's in front of it.
quit_lumeta
rm -rf "$XDG_STATE_HOME/lumeta"
start_lumeta
first=$window first_pid=$pid
tap A; tap I; tap U
start_lumeta
second=$window second_pid=$pid
tap K; tap A; tap K; tap I
window=$first pid=$first_pid
xdotool windowraise "$window"
sleep 0.5
tap E
quit_lumeta
window=$second pid=$second_pid
xdotool windowraise "$window"
sleep 0.5
quit_lumeta
if [ -f "$XDG_STATE_HOME/lumeta/draft-2.txt" ]; then
  echo "ok: the second window kept its own draft"
else
  echo "FAILED: no draft-2.txt beside draft.txt: $(ls -a "$XDG_STATE_HOME/lumeta")"
  failures=$((failures + 1))
fi
start_lumeta
tap UNDO
tap UNDO
expect "after a restart 元に戻す brings back both windows' texts" "かきあいうえ"

echo "$failures failed"
[ "$failures" -eq 0 ]
