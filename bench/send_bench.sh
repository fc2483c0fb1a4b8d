#!/usr/bin/env bash
# 送る on X11: 1,000 mixed characters (kanji, kana, full-width signs, ASCII, line breaks) sent
# from Lumeta into a Tk text field (and a Qt one, which answers pings, when given) under Xvfb and
# openbox; prints whether they arrived exactly, the time from the click on 送る to the last
# character received and to the keyboard map being as before. With the Qt field, then the same
# through the Wayland virtual keyboard under a headless sway, where sway can run.
#
# Usage: bench/send_bench.sh path/to/lumeta [path/to/send_target_qt]
exec bash "$(dirname "$0")/../tests/send_test.sh" "$1" --bench ${2:+"$2"}
