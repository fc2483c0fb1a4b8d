# Shell helpers shared by the tests that click the real program on an X server. A test sources
# this file, then defines `tap NAME` (a click on the key NAME of its own key map) before it calls
# copied_text.
# shellcheck shell=bash

# The centre of letter key 1..15 in window coordinates, laid out A K H / I S M / U T Y / E N R /
# O Z W: letter_key 2 is K.
letter_key() {
  echo $((456 + (($1 - 1) % 3) * 72 + 32)) $((216 + (($1 - 1) / 3) * 64 + 22))
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

# The draft's text (after its two header lines), once it is `wanted` or after 5 s.
draft_text() {  # draft_text FILE WANTED
  local got=""
  for _ in $(seq 50); do
    got=$(tail -n +3 "$1" 2> /dev/null || true)
    [ "$got" = "$2" ] && break
    sleep 0.1
  done
  printf '%s' "$got"
}
