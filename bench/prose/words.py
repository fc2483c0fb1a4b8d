"""mecab's output on stdin to the benchmark's words on stdout.

A word is one of mecab's words, with the kana endings that follow a verb, adjective or noun of
action joined to it as the user converts them together (描か + れる → 描かれる). Each line is
"spelling<TAB>reading<TAB>part of speech", the reading in hiragana; a blank line ends a sentence.
"""
import sys


def hiragana(katakana):
    return "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" else c for c in katakana)


def is_kana(text):
    return all("\u3041" <= c <= "\u3096" or c == "ー" for c in text)


words = []
for line in sys.stdin:
    line = line.rstrip("\n")
    if line == "EOS":
        for spelling, reading, pos in words:
            print(f"{spelling}\t{reading}\t{pos}")
        print()
        words = []
        continue
    surface, _, features = line.partition("\t")
    fields = features.split(",")
    pos = fields[0]
    reading = hiragana(fields[7]) if len(fields) > 7 and fields[7] != "*" else hiragana(surface)
    # Endings join the word before them when that word has a kanji (書か + れ + た).
    joins = pos in ("助動詞",) or (pos == "動詞" and fields[1] in ("非自立", "接尾")) or (
        pos == "助詞" and fields[1] == "接続助詞" and surface in ("て", "で"))
    if words and joins and is_kana(surface) and not is_kana(words[-1][0]) and words[-1][2] in (
            "動詞", "形容詞", "助動詞"):
        spelling, before, before_pos = words[-1]
        words[-1] = (spelling + surface, before + reading, before_pos)
        continue
    words.append((surface, reading, pos))
