"""Sentences of the Japanese manual pages, analysed by mecab, as make_corpus.sh describes;
with `chunks`, the phrase chunks of those sentences."""
import glob
import gzip
import re
import subprocess
import sys

# Macros whose arguments are running text; every other request line is dropped.
TEXT_MACROS = {"B", "I", "BI", "BR", "IB", "IR", "RB", "RI", "SM", "SB"}
ESCAPES = re.compile(r"\\f(\[[^\]]*\]|\(..|.)|\\s[+-]?\d|\\\(..|\\\[[^\]]*\]|\\[&|^%:]|\\\*.")
JAPANESE = re.compile(r"[\u3040-\u30ff\u4e00-\u9fff]")
KANA_ONLY = re.compile(r"^[\u3041-\u3096\u30fc]+$")


def text_lines(source):
    for line in source.splitlines():
        if line.startswith(('.\\"', "'\\\"", '\\"')):
            continue
        if line.startswith((".", "'")):
            parts = line[1:].split(None, 1)
            if not parts or parts[0] not in TEXT_MACROS or len(parts) < 2:
                yield ""  # a paragraph break
                continue
            line = parts[1].replace('"', "")
        line = line.replace("\\-", "-").replace("\\e", "\\").replace("\\ ", " ")
        yield ESCAPES.sub("", line)


def sentences(source):
    paragraph = []
    for line in list(text_lines(source)) + [""]:
        if line.strip():
            paragraph.append(line.strip())
            continue
        text = "".join(paragraph)  # Japanese lines join without spaces
        paragraph = []
        for s in re.split(r"(?<=[。！？])", text):
            s = s.strip()
            if len(JAPANESE.findall(s)) >= 5:
                yield s


def hiragana(katakana):
    return "".join(chr(ord(c) - 0x60) if "\u30a1" <= c <= "\u30f6" else c for c in katakana)


def tokens(analysis):
    """mecab's lines up to EOS as (surface, features) pairs."""
    for line in analysis.splitlines():
        if line == "EOS":
            break
        surface, _, features = line.partition("\t")
        yield surface, features.split(",")


# Tokens that stay with the verb or adjective before them: endings and conjunctive particles.
def is_ending(pos):
    return (pos[0] == "助動詞" or (pos[0] == "助詞" and pos[1] == "接続助詞")
            or (pos[0] in ("動詞", "形容詞") and pos[1] in ("非自立", "接尾")))


def words(analysis):
    unit = None
    for surface, f in analysis:
        reading = hiragana(f[7]) if len(f) > 7 and f[7] != "*" else surface
        if unit and unit["open"] and is_ending(f):
            unit["reading"] += reading
            unit["spelling"] += surface
            continue
        if unit:
            yield unit
        unit = {"reading": reading, "spelling": surface, "pos": f[0],
                "open": f[0] in ("動詞", "形容詞") or is_ending(f)}
    if unit:
        yield unit


# Phrase chunks (bunsetsu), the usual rule: a chunk is a content word and the function words
# after it. Particles, endings and suffixes stay with the chunk before them (画像 の, 大き さ
# が, 表示 さ れ ます); nouns in a row make one compound (検索 結果); a prefix opens a chunk;
# する after a verbal noun stays with it (選択 する); a symbol ends the chunk and is left out.
def is_function_word(f, previous):
    if f[0] in ("助詞", "助動詞"):
        return True
    if f[0] in ("動詞", "形容詞") and f[1] in ("非自立", "接尾"):
        return True
    if f[0] == "名詞" and f[1] == "接尾":
        return True
    return (f[0] == "動詞" and len(f) > 6 and f[6] == "する" and previous is not None
            and previous[0] == "名詞" and previous[1] == "サ変接続")


def chunks(analysis):
    """The chunks of one sentence, each a list of (surface, features) tokens."""
    chunk, previous, closed = [], None, False  # closed: a function word came since its content
    for surface, f in analysis:
        if f[0] == "記号":
            if chunk:
                yield chunk
            chunk, previous, closed = [], None, False
            continue
        if chunk and not is_function_word(f, previous):
            compound = (f[0] == "名詞" and previous[0] in ("名詞", "接頭詞")) or previous[0] == "接頭詞"
            if closed or not compound:
                yield chunk
                chunk, closed = [], False
        elif chunk:
            closed = True
        chunk.append((surface, f))
        previous = f
    if chunk:
        yield chunk


def main():
    limit = int(sys.argv[1])
    as_chunks = len(sys.argv) > 2 and sys.argv[2] == "chunks"
    found = []
    for path in sorted(glob.glob("/usr/share/man/ja/man*/*.gz")):
        with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
            found.extend(sentences(f.read()))
        if len(found) >= limit:
            break
    found = list(dict.fromkeys(found))[:limit]  # each sentence once
    analysis = subprocess.run(["mecab"], input="\n".join(found) + "\n", capture_output=True,
                              text=True, check=True).stdout
    out = sys.stdout
    for block in analysis.split("EOS\n"):
        if not block.strip():
            continue
        parts = chunks(tokens(block)) if as_chunks else [tokens(block)]
        for part in parts:
            for w in words(part):
                out.write(f"{w['reading']}\t{w['spelling']}\t{w['pos']}\n")
            out.write("\n")


if __name__ == "__main__":
    main()
