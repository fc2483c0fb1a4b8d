# shellcheck shell=bash disable=SC2154
# Shell helpers shared by the 送る tests (send_test.sh, ibus_send_test.sh), sourced after
# desktop_lib.sh once `$lumeta` (the program) and `$scratch` (a folder of the test's own) are set.
# The target application writes what it received to $scratch/received.txt.

# Starts Lumeta with OPTIONs and waits for its window; its output goes to $scratch/lumeta.log.
start_lumeta() {  # start_lumeta [OPTION…]
  : > "$scratch/lumeta.log"
  "$lumeta" "$@" >> "$scratch/lumeta.log" 2>&1 &
  lumeta_pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Lumeta$' | head -n 1)
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
