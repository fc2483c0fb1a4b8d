"""Sentences of Japanese prose from manual pages in roff on stdin, one a line on stdout.

The roff requests and escapes are dropped; a sentence ends at 。 and is kept when it holds only
kana, kanji, ー and 、 (with its 。), at least five characters: argv[1] sentences at most.
"""
import re
import sys

most = int(sys.argv[1])
JAPANESE = re.compile(r"^[\u3041-\u3096\u30a1-\u30fa\u30fc\u4e00-\u9fff\u3005、]+。$")
seen = set()
count = 0
paragraph = []


def flush():
    global count
    text = "".join(paragraph)
    paragraph.clear()
    for part in text.split("。"):
        sentence = part.strip() + "。"
        if count >= most:
            return  # the rest of the input is read, so nothing before it is cut off
        if len(sentence) >= 6 and JAPANESE.match(sentence) and sentence not in seen:
            seen.add(sentence)
            print(sentence)
            count += 1


for raw in sys.stdin.buffer:
    line = raw.decode("utf-8", "replace").rstrip("\n")
    if line.startswith((".\\\"", "'\\\"")):
        continue
    if line.startswith("."):
        flush()  # a request breaks the text
        line = re.sub(r"^\.[A-Za-z]+\s*", "", line)
    line = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", line)
    line = re.sub(r"\\\(..|\\\[[^]]*\]|\\[-&|^~ e]", "", line)
    line = line.replace('"', "").strip()
    if not line:
        flush()
        continue
    paragraph.append(line)
flush()
