#!/usr/bin/env bash
# Real Japanese prose that nobody here wrote, for the presses-per-character benchmark: the
# sentences of Debian's Japanese manual pages (manpages-ja), analysed by Debian's mecab (with
# mecab-ipadic-utf8) into words and readings.
#
#   bash bench/prose/make_corpus.sh OUT [MOST_SENTENCES]
#
# writes OUT: one sentence per block, one word per line "spelling<TAB>reading<TAB>part of
# speech" (reading in hiragana, as typed), a blank line after each sentence. Only sentences made
# entirely of kana, kanji, the long vowel mark and 、。 are kept (commands and options are
# not prose), at most MOST_SENTENCES (default 9000), in the order of the pages' names.
set -euo pipefail
out=${1:?usage: make_corpus.sh OUT [MOST_SENTENCES]}
most=${2:-9000}
pages=/usr/share/man/ja
[ -d "$pages" ] || { echo "make_corpus.sh: $pages is missing: install manpages-ja" >&2; exit 1; }
command -v mecab > /dev/null || { echo "make_corpus.sh: install mecab and mecab-ipadic-utf8" >&2; exit 1; }

find "$pages" -name '*.gz' | LC_ALL=C sort | xargs zcat -f |
  python3 "$(dirname "$0")/sentences.py" "$most" |
  mecab |
  python3 "$(dirname "$0")/words.py" > "$out"
echo "$(grep -c '^$' "$out") sentences in $out" >&2
