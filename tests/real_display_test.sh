#!/usr/bin/env bash
# Lumeta on a real X server (Xvfb): clicks sent through the XTest extension with xdotool, the
# result read back through the copy key and the clipboard. Two clicks on one key, 150 ms
# apart, fall inside the double-click interval; each must count as a tap of its own.
#
# Usage: real_display_test.sh path/to/lumeta
set -euo pipefail
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
  "$lumeta" >> "$scratch/lumeta.log" 2>&1 &
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
letter_key() {  # 1..15: A K H / I S M / U T Y / E N R / O Z W
  echo $((456 + (($1 - 1) % 3) * 72 + 32)) $((216 + (($1 - 1) / 3) * 64 + 22))
}
declare -A key=(
  [A]="$(letter_key 1)" [K]="$(letter_key 2)" [I]="$(letter_key 4)" [U]="$(letter_key 7)"
  [E]="$(letter_key 10)"
  [N]="$(letter_key 11)" [BS]="632 172" [RET]="561 89" [DOWN]="560 137"
  [MODE]="480 28" [QUIT]="92 452" [COPY]="224 452" [DELALL]="160 452" [UNDO]="224 486"
)

# Clicks a key: `tap NAME [COUNT [BUTTON]]`, COUNT clicks 150 ms apart.
tap() {
  local count=${2:-1} button=${3:-1}
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" ${key[$1]} click --repeat "$count" --delay 150 "$button"
  sleep 0.5  # longer than the double-click interval: the next click starts afresh
}

# Copies the text with the copy key and prints it, waiting until Lumeta owns the clipboard.
copied_text() {
  printf 'not copied yet' | xclip -selection clipboard -i
  tap COPY
  for _ in $(seq 50); do
    local text
    text=$(xclip -selection clipboard -o 2> /dev/null || true)
    if [ "$text" != "not copied yet" ]; then
      printf '%s' "$text"
      return
    fi
    sleep 0.1
  done
  printf '(the copy key did not copy)'
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
