#!/usr/bin/env bash
# The symbol picker on real display servers: on X11 (Xvfb) with a window manager (openbox), and
# on Wayland (sway, headless) where sway can be started. While symbol mode is on, clicks on the
# main window and page turns with ↓ leave the picker shown where it is, a click on a cell types
# its symbol, a click on a page's name turns to that page (X11), and the physical keys work
# their on-screen keys. The typed text is read back from
# the draft Lumeta writes a second after each change.
#
# Usage: symbol_picker_test.sh path/to/lumeta
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lumeta=$(realpath "$1")
# shellcheck source=desktop_lib.sh
source "$here/desktop_lib.sh"

if [ -z "${LUMETA_ON_XVFB:-}" ]; then
  export LUMETA_ON_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

scratch=$(mktemp -d)
chmod 755 "$scratch"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
passes=0
ok() {
  echo "ok: $1"
  passes=$((passes + 1))
}
fail() {
  echo "FAILED: $1"
  failures=$((failures + 1))
}

expect_draft() {  # expect_draft DESCRIPTION FILE WANTED
  local got
  got=$(draft_text "$2" "$3")
  if [ "$got" = "$3" ]; then ok "$1: $got"; else fail "$1: wanted '$3', got '$got'"; fi
}

# ---- X11 with openbox ---------------------------------------------------------------------
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
openbox --config-file /dev/null > "$scratch/openbox.log" 2>&1 &
pids+=($!)
sleep 1
mkdir -p "$scratch/x11/state" "$scratch/x11/config"
XDG_STATE_HOME=$scratch/x11/state XDG_CONFIG_HOME=$scratch/x11/config XDG_DATA_HOME=$scratch/x11/data "$lumeta" \
  > "$scratch/x11/lumeta.log" 2>&1 &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Lumeta$' | head -n 1)
sleep 1
draft=$scratch/x11/state/lumeta/draft.txt

click() {  # click X Y: a left click at X, Y of the window's client area
  xdotool mousemove --window "$window" "$1" "$2" click 1
  sleep 0.4
}
mode=(480 28)
down=(560 137)
# Cells of the picker, which lies where the display does: the page names along its top, the
# grid under them. The first and second cell of the first row:
cell1=(70 171)
cell2=(97 171)
full_width_name=(102 136)  # the name of the first page, 全角記号

click "${mode[@]}"
click "${mode[@]}"  # symbol mode
click 200 20         # the handset picture
click 300 450        # the position label
click "${cell2[@]}"
expect_draft "X11: after clicks on the window the picker is there: its second cell" "$draft" "●"
click "${down[@]}"  # the half-width page
click 200 20
click "${cell1[@]}"
expect_draft "X11: after ↓ and a click on the window, the picker's new page" "$draft" "●!"
xdotool key --window "$window" Down  # a physical key: the pictographs
sleep 0.4
click "${cell1[@]}"
expect_draft "X11: the physical ↓ turns the page while the picker is shown" "$draft" "●!①"
click "${full_width_name[@]}"  # back to the first page by its name
click "${cell1[@]}"
expect_draft "X11: a click on a page's name turns to that page" "$draft" "●!①○"
xdotool key --window "$window" Control_L  # the mode key: romaji, the picker goes
sleep 0.4
xdotool key --window "$window" a
expect_draft "X11: Ctrl and A typed while the picker was shown" "$draft" "●!①○あ"
if [ "$(xdotool search --onlyvisible --name '^記号モード$' 2> /dev/null | wc -l)" -eq 0 ]; then
  ok "X11: the picker is no window of its own"
else
  fail "X11: the picker is a window of its own"
fi

# ---- Wayland with sway ---------------------------------------------------------------------
# sway runs headless, its clients as an unprivileged user when this runs as root (sway refuses
# root); clicks come from a small client of the wlroots virtual pointer protocol, keys from
# wtype. Skipped with a message where any of it is missing or sway does not start.
wayland() {
  local tool
  for tool in sway swaymsg wtype wayland-scanner cc python3; do
    command -v "$tool" > /dev/null || { echo "no $tool"; return 77; }
  done
  local plugins
  plugins=$(qtpaths6 --plugin-dir 2> /dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
  [ -e "$plugins/platforms/libqwayland-generic.so" ] || { echo "no Qt Wayland platform"; return 77; }
  local work=$scratch/wayland
  mkdir -p "$work/run" "$work/state"
  chmod 700 "$work/run"
  local as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$work"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  local build=$work/pointer
  mkdir -p "$build"
  wayland-scanner client-header "$here/wayland/virtual-pointer-v1.xml" "$build/virtual-pointer-v1.h"
  wayland-scanner private-code "$here/wayland/virtual-pointer-v1.xml" "$build/virtual-pointer-v1.c"
  cc -O1 -I"$build" -o "$build/pointer_click" "$here/wayland/pointer_click.c" \
    "$build/virtual-pointer-v1.c" -lwayland-client || { echo "no Wayland client library"; return 77; }
  cp "$lumeta" "$work/lumeta"  # where the unprivileged user can run it
  printf 'output HEADLESS-1 resolution 1024x768\nxwayland disable\n' > "$work/config"
  chmod -R a+rX "$build" "$work/lumeta" "$work/config"
  local env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/run"
    WAYLAND_DISPLAY=wayland-1 "LSAN_OPTIONS=${LSAN_OPTIONS:-}" "ASAN_OPTIONS=${ASAN_OPTIONS:-}")
  "${as_user[@]}" "${env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$work/config" > "$work/sway.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$work/run/wayland-1" ] && break; sleep 0.1; done
  [ -S "$work/run/wayland-1" ] || { echo "sway did not start: $(tail -n 3 "$work/sway.log")"; return 77; }
  local ipc
  ipc=$(ls "$work"/run/sway-ipc.*.sock | head -n 1)
  # A keyboard for the whole session, so that Lumeta has one before the first typed key.
  "${as_user[@]}" "${env[@]}" wtype -s 600000 &
  pids+=($!)
  "${as_user[@]}" "${env[@]}" QT_QPA_PLATFORM=wayland XDG_STATE_HOME="$work/state" \
    XDG_CONFIG_HOME="$work/state" "$work/lumeta" > "$work/lumeta.log" 2>&1 &
  pids+=($!)
  # The window's client area on the output, from sway's tree.
  local origin=""
  for _ in $(seq 100); do
    origin=$("${as_user[@]}" "${env[@]}" swaymsg -s "$ipc" -t get_tree 2> /dev/null |
      python3 -c '
import json, sys
def walk(node):
    if node.get("name") == "Lumeta" and node.get("pid"):
        r, w = node["rect"], node["window_rect"]
        print(r["x"] + w["x"], r["y"] + w["y"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' || true)
    [ -n "$origin" ] && break
    sleep 0.1
  done
  [ -n "$origin" ] || { echo "Lumeta's window never appeared under sway"; return 1; }
  sleep 1
  local ox oy
  read -r ox oy <<< "$origin"
  at() { echo "$((ox + $1)),$((oy + $2))"; }
  wclick() {  # wclick X Y [X Y ...]: clicks in the window's client area
    local points=()
    while [ $# -gt 0 ]; do points+=("$(at "$1" "$2")"); shift 2; done
    "${as_user[@]}" "${env[@]}" "$build/pointer_click" 1024 768 "${points[@]}"
  }
  wkey() { "${as_user[@]}" "${env[@]}" wtype "$@"; sleep 0.4; }
  local draft=$work/state/lumeta/draft.txt before=$failures
  wclick "${mode[@]}" "${mode[@]}" 200 20 300 450 "${cell2[@]}"
  expect_draft "Wayland: after clicks on the window the picker is there" "$draft" "●"
  wclick "${down[@]}" 200 20 "${cell1[@]}"
  expect_draft "Wayland: after ↓ and a click on the window, the picker's new page" "$draft" "●!"
  wkey -k Down
  wclick "${cell1[@]}"
  expect_draft "Wayland: the physical ↓ turns the page while the picker is shown" "$draft" "●!①"
  wkey -k Control_L
  wkey a
  expect_draft "Wayland: Ctrl and A typed while the picker was shown" "$draft" "●!①あ"
  if grep -q "cursor position" "$work/lumeta.log"; then
    fail "Wayland: the physical keys tried to move the pointer: $(grep -m 1 'cursor' "$work/lumeta.log")"
  else
    ok "Wayland: the physical keys left the pointer alone, silently"
  fi
  [ "$failures" -eq "$before" ]
}
wayland && status=0 || status=$?
[ "$status" -eq 77 ] && echo "skipped: the Wayland part (sway could not be used here)"

echo "symbol picker: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
