# shellcheck shell=bash disable=SC2154,SC2034
# Shell helpers shared by the 送る tests (send_test.sh, ibus_send_test.sh), sourced after
# desktop_lib.sh once `$lumeta` (the program) and `$scratch` (a folder of the test's own) are set.
# The target application writes what it received to $scratch/received.txt.

# The first shown window whose name matches PATTERN, looked for again until one is there (30 s at
# most): a search fails outright when any window goes away while it looks.
visible_window() {  # visible_window PATTERN
  local found=""
  for _ in $(seq 300); do
    found=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1 || true)
    [ -n "$found" ] && break
    sleep 0.1
  done
  printf '%s' "$found"
}

# Starts Lumeta with OPTIONs and waits for its window; its output goes to $scratch/lumeta.log.
start_lumeta() {  # start_lumeta [OPTION…]
  : > "$scratch/lumeta.log"
  "$lumeta" "$@" >> "$scratch/lumeta.log" 2>&1 &
  lumeta_pid=$!
  window=$(visible_window '^Lumeta$')
  sleep 1
}

quit_lumeta() {
  kill "$lumeta_pid" 2> /dev/null || true
  wait "$lumeta_pid" 2> /dev/null || true
  lumeta_pid=""
}

declare -A key=(
  [A]="$(letter_key 1)" [K]="$(letter_key 2)" [H]="$(letter_key 3)" [I]="$(letter_key 4)" [T]="$(letter_key 8)"
  [RET]="561 89" [DOWN]="560 137" [MODE]="480 28"
  [COPY]="224 452" [UNDO]="224 486" [SEND]="288 448"
)

# A frozen selection owner would keep xclip waiting: a frozen Lumeta fails the test instead.
xclip_path=$(type -P xclip)
xclip() { timeout 5 "$xclip_path" "$@"; }

tap() {  # tap NAME [COUNT]
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" ${key[$1]} click --repeat "${2:-1}" --delay 150 1
  sleep 0.5
}

# Waits until the target holds `wanted` (or 20 s pass) and prints what it holds.
received() {
  local wanted=$1 got=""
  for _ in $(seq 200); do
    got=$(cat "$scratch/received.txt" 2> /dev/null || true)
    [ "$got" = "$wanted" ] && break
    sleep 0.1
  done
  printf '%s' "$got"
}

# Types かい ↓ (回), a line break, ABC in alphabet mode and 「」 from the symbol picker's first
# page (cells 114 and 115: row 12, columns 4 and 5, the fifth row shown once the wheel has
# scrolled the grid to its end), and sets `wanted` to what Lumeta then holds.
type_sample_text() {
  tap K; tap A; tap I; tap DOWN     # かい ↓ → 回
  tap RET; tap RET                  # confirmed, then a line break
  tap MODE                          # alphabet mode: A, H H for B, T T T for C
  tap A; tap H 2; tap T 3
  tap MODE                          # symbol mode: the picker in the display's place
  sleep 0.5
  xdotool mousemove --window "$window" 200 250 click --repeat 6 --delay 50 5
  sleep 0.5
  xdotool mousemove --window "$window" 153 283 click 1
  sleep 0.5
  xdotool mousemove --window "$window" 181 283 click 1
  sleep 0.5
  tap RET                           # leaves symbol mode; the picker no longer covers the keys
  wanted=$'回\nABC「」'
}
