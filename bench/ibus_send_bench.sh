#!/usr/bin/env bash
# 送る through IBus on X11: 1,000 mixed characters (kanji, kana, full-width signs, ASCII, line
# breaks) committed from Lumeta into a GTK 3 text field under Xvfb, openbox and an ibus-daemon of
# its own; prints whether they arrived exactly and the time from the click on 送る to the last
# character received.
#
# Usage: bench/ibus_send_bench.sh path/to/lumeta
exec bash "$(dirname "$0")/../tests/ibus_send_test.sh" "$1" --bench
