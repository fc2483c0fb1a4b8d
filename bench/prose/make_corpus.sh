#!/usr/bin/env bash
# Makes a corpus of real Japanese prose for the benchmarks: the sentences of Debian's Japanese
# manual pages (manpages-ja), stripped of their troff markup, analysed into words and readings
# by mecab (mecab-ipadic-utf8). Writes one word a line, "reading<TAB>spelling<TAB>part of
# speech", the reading in hiragana; a blank line ends each sentence. A verb or adjective keeps
# its endings with it (書い + て → かいて 書いて 動詞), as it is typed and converted.
# With `chunks`, a blank line ends each phrase chunk instead (a content word and the function
# words after it: 画像 の, 選択 すると, 大き さ が; symbols left out), for chunk_bench.py.
#
#   bash bench/prose/make_corpus.sh [max-sentences] > prose.tsv
#   bash bench/prose/make_corpus.sh max-sentences chunks > chunks.tsv
#
# Installs what it needs (as root, or through sudo) when it is missing.
set -euo pipefail
max=${1:-1000000}
unit=${2:-words}
needed=(manpages-ja mecab mecab-ipadic-utf8)
missing=()
for p in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq >&2
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
exec python3 "$(dirname "$0")/make_corpus.py" "$max" "$unit"
