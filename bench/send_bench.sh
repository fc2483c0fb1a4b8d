#!/usr/bin/env bash
# 送る on X11: 1,000 mixed characters (kanji, kana, full-width signs, ASCII, line breaks) sent
# from Lumeta into a Tk text field under Xvfb and openbox; prints whether they arrived exactly
# and the time from the click on 送る to the last character received.
#
# Usage: bench/send_bench.sh path/to/lumeta
exec bash "$(dirname "$0")/../tests/send_test.sh" "$1" --bench
