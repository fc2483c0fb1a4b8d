#!/usr/bin/env bash
# 送る through IBus, with a daemon of the test's own in a private D-Bus session.
#
# X11: Xvfb with openbox, ibus-daemon, and a GTK 3 text field (send_target_gtk.py, with GTK's
# ibus module) as the application the user works in. Lumeta, clicked through XTest, commits the
# text as an input method does: no key code is borrowed (the key map is the same before and
# after), the clipboard is left alone.
#
# GNOME on Wayland: a headless GNOME Shell (it starts its own ibus-daemon), the same GTK field,
# and Lumeta as a Wayland client, driven by gnome_send_test.py: the text arrives in the GTK
# field and in a Qt field started with QT_IM_MODULE=ibus; a Qt field without it takes nothing,
# and the text goes on the clipboard. Skipped with a message where GNOME Shell cannot start.
#
# Usage: ibus_send_test.sh path/to/lumeta [path/to/send_target_qt]   the test
#        ibus_send_test.sh path/to/lumeta --bench   1,000 mixed characters sent on X11, timed
set -euo pipefail
# shellcheck source=tests/desktop_lib.sh
source "$(dirname "$0")/desktop_lib.sh"
lumeta=$(realpath "$1")
mode=test
qt_target=""
for arg in "${@:2}"; do
  case $arg in
    --bench) mode=--bench ;;
    *) qt_target=$(realpath "$arg") ;;
  esac
done
here=$(cd "$(dirname "$0")" && pwd)

for tool in ibus-daemon xmodmap openbox xdotool xclip; do
  command -v "$tool" > /dev/null || { echo "skipped: no $tool"; exit 0; }
done
/usr/bin/python3 -c 'import gi; gi.require_version("Gtk", "3.0")' 2> /dev/null ||
  { echo "skipped: no GTK 3 for Python"; exit 0; }

if [ -z "${LUMETA_ON_XVFB:-}" ]; then
  export LUMETA_ON_XVFB=1
  exec dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_IM_MODULE
scratch=$(mktemp -d)
export XDG_STATE_HOME=$scratch/state
export XDG_DATA_HOME=$scratch/data    # nothing the test types is learned for the user
export XDG_CONFIG_HOME=$scratch/config  # ibus-daemon writes its address there
export XDG_CACHE_HOME=$scratch/cache
export HOME=$scratch
pids=()
lumeta_pid=""
ibus_pid=""
cleanup() {
  for p in "${pids[@]}" $lumeta_pid; do kill "$p" 2> /dev/null || true; done
  # The daemon outlives its clients: it is ended here, and waited for.
  if [ -n "$ibus_pid" ]; then
    kill "$ibus_pid" 2> /dev/null || true
    wait "$ibus_pid" 2> /dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

openbox --sm-disable > "$scratch/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTED 2> /dev/null | grep -q '_NET_ACTIVE_WINDOW' && break
  sleep 0.1
done
ibus-daemon --panel=disable --xim=false --config=disable > "$scratch/ibus.log" 2>&1 &
ibus_pid=$!
for _ in $(seq 100); do
  ls "$XDG_CONFIG_HOME"/ibus/bus/* > /dev/null 2>&1 && break
  sleep 0.1
done
ibus engine xkb:us::eng  # the engine in use, as a desktop sets one
sleep 0.5

start_target() {
  GTK_IM_MODULE=ibus /usr/bin/python3 "$here/send_target_gtk.py" "$scratch/received.txt" \
    > "$scratch/target.log" 2>&1 &
  pids+=($!)
  target=$(visible_window '^send-target$')
  sleep 0.5
}

# shellcheck source=tests/send_lib.sh
source "$(dirname "$0")/send_lib.sh"

failures=0
check() {  # check DESCRIPTION WANTED GOT
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: wanted '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

# Offers `text` to the next Lumeta as its draft: 元に戻す brings it into the text area.
offer_draft() {
  mkdir -m 700 -p "$XDG_STATE_HOME/lumeta"
  printf 'Lumeta draft\ncaret 0\n%s' "${1//$'\n'/$'\r\n'}" > "$XDG_STATE_HOME/lumeta/draft.txt"
  chmod 600 "$XDG_STATE_HOME/lumeta/draft.txt"
}

if [ "$mode" = --bench ]; then
  # The same 1,000 characters as send_test.sh --bench: kanji, kana, full-width signs, ASCII,
  # line breaks.
  text=$(/usr/bin/python3 - << 'EOF'
import random
random.seed(7)
pieces = ["漢字", "変換", "日本語", "ひらがな", "カタカナ", "「", "」", "、", "。", "！", "ＡＢＣ",
          "abc", "123", " ", "\n", "回", "会", "東京", "ｶﾅ", "①", "♪", "㈱"]
out = ""
while len(out) < 1000:
    out += random.choice(pieces)
out = out[:999] + "。"  # the shell would drop a line break at the end
print(out, end="")
EOF
)
  offer_draft "$text"
  start_target
  start_lumeta
  tap UNDO
  start=$(date +%s%N)
  xdotool mousemove --window "$window" ${key[SEND]} click 1
  got=$(received "$text")
  end=$(date +%s%N)
  check "1,000 characters received exactly" "$text" "$got"
  echo "characters: $(printf '%s' "$text" | wc -m), from the click on 送る to the last one received through IBus: $(((end - start) / 1000000)) ms"
  [ "$failures" -eq 0 ]
  exit
fi

# ---- X11 ---------------------------------------------------------------------------------------
# The user works in the GTK field, turns to Lumeta, types かい↓ (回), a line break, ABC and two
# symbols from the picker, and sends.
start_target
start_lumeta
xdotool windowactivate --sync "$target"
sleep 0.5
type_sample_text  # sets wanted
check "Lumeta holds the text to send" "$wanted" "$(copied_text)"
printf 'the user clipboard' | xclip -selection clipboard -i
sleep 0.3
keymap=$(xmodmap -pke)
tap SEND
check "the GTK field received the text through IBus, byte for byte" "$wanted" "$(received "$wanted")"
check "no key code was borrowed: the key map is unchanged" "$keymap" "$(xmodmap -pke)"
check "the user's clipboard is unchanged" "the user clipboard" \
  "$(xclip -selection clipboard -o 2> /dev/null)"
grep -q "$(printf '%d 文字を送りました' "${#wanted}")" "$scratch/lumeta.log" ||
  check "Lumeta says what was sent" "${#wanted} 文字を送りました" "$(cat "$scratch/lumeta.log")"
sleep 0.5
check "Lumeta is back in front" "$window" "$(xdotool getactivewindow)"
check "Lumeta's text is empty after sending" "" "$(copied_text)"
tap UNDO
check "元に戻す brings the sent text back" "$wanted" "$(copied_text)"
check "IBus is back on the engine it had" "xkb:us::eng" "$(ibus engine 2>&1)"

# A Tk field takes nothing from an input method: after IBus's short wait the next route, XTest,
# types the text.
/usr/bin/python3 "$here/send_target.py" "$scratch/tk.txt" > "$scratch/tk.log" 2>&1 &
pids+=($!)
tk=$(timeout 30 xdotool search --sync --onlyvisible --class '^Tk$' | head -n 1)
sleep 0.5
xdotool windowactivate --sync "$tk"
sleep 0.5
: > "$scratch/lumeta.log"
tap SEND
wanted_tk=$(for _ in $(seq 200); do
  got=$(cat "$scratch/tk.txt" 2> /dev/null || true)
  [ "$got" = "$wanted" ] && break
  sleep 0.1
done; printf '%s' "$got")
check "a Tk field, which takes no input method's text, got it through XTest" "$wanted" "$wanted_tk"
check "the GTK field got nothing more" "$wanted" "$(cat "$scratch/received.txt")"
quit_lumeta

# The X11 part's daemon goes; GNOME Shell starts its own.
kill "$ibus_pid" 2> /dev/null || true
wait "$ibus_pid" 2> /dev/null || true
ibus_pid=""

# ---- GNOME on Wayland ------------------------------------------------------------------------
gnome() {
  command -v gnome-shell > /dev/null || { echo "no gnome-shell"; return 77; }
  [ -n "$qt_target" ] || { echo "no Qt target given"; return 77; }
  local work=$scratch/gnome
  mkdir -p "$work/run" "$work/config"
  chmod 700 "$work/run"
  # GNOME Shell asks the system bus for the session's seat: a bus of the test's own stands in.
  dbus-daemon --session --nofork --address="unix:path=$work/system_bus" > /dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -S "$work/system_bus" ] && break; sleep 0.1; done
  local env=(env -u DISPLAY XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config"
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system_bus" WAYLAND_DISPLAY=wayland-lumeta)
  "${env[@]}" gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x800 \
    --wayland-display=wayland-lumeta > "$work/shell.log" 2>&1 &
  local shell=$!
  pids+=($shell)
  for _ in $(seq 300); do
    grep -q "GNOME Shell started" "$work/shell.log" && break
    kill -0 "$shell" 2> /dev/null || break
    sleep 0.1
  done
  grep -q "GNOME Shell started" "$work/shell.log" ||
    { echo "GNOME Shell did not start: $(tail -n 3 "$work/shell.log")"; return 77; }
  # It starts in the overview, which would take the focus.
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method \
    org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive "<false>" > /dev/null
  sleep 1
  local status=0
  "${env[@]}" /usr/bin/python3 "$here/gnome_send_test.py" "$lumeta" "$here/send_target_gtk.py" \
    "$qt_target" "$work" || status=$?
  kill "$shell" 2> /dev/null || true
  wait "$shell" 2> /dev/null || true
  # GNOME Shell's ibus-daemon outlives it: its pid is in the address file it wrote.
  local daemon
  for daemon in $(sed -n 's/^IBUS_DAEMON_PID=//p' "$work"/config/ibus/bus/* 2> /dev/null); do
    kill "$daemon" 2> /dev/null || true
  done
  return $status
}
gnome && status=0 || status=$?
if [ "$status" -eq 77 ]; then
  echo "skipped: the GNOME part (GNOME Shell could not be used here)"
elif [ "$status" -ne 0 ]; then
  failures=$((failures + 1))
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
