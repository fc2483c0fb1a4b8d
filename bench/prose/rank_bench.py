"""How often the spelling of a word of real prose is the first candidate of its reading, and
within the first five, as lumeta-replay --lookup lists them (any build, old or new).

    python3 bench/prose/rank_bench.py build/dev/tools/lumeta-replay prose.tsv

Counted: every word whose spelling differs from its reading (it needs converting) and whose
reading is kana only; overall, and for verbs and adjectives (with their endings: 書いた).
"""
import json
import re
import subprocess
import sys

KANA_ONLY = re.compile(r"^[\u3041-\u3094\u30fc]+$")


def main():
    replay, corpus = sys.argv[1], sys.argv[2]
    words = []
    with open(corpus, encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[0] != parts[1] and KANA_ONLY.match(parts[0]):
                words.append(parts)
    readings = sorted({w[0] for w in words})
    out = subprocess.run([replay, "--lookup"], input="\n".join(readings) + "\n",
                         capture_output=True, text=True, check=True).stdout
    candidates = {}
    for line in out.splitlines():
        j = json.loads(line)
        candidates[j["reading"]] = j["candidates"]
    groups = {"all": [], "verbs and adjectives": []}
    for reading, spelling, pos in words:
        listed = candidates.get(reading, [])
        rank = listed.index(spelling) if spelling in listed else len(listed) + 1000
        groups["all"].append(rank)
        if pos in ("動詞", "形容詞"):
            groups["verbs and adjectives"].append(rank)
    for name, ranks in groups.items():
        n = len(ranks)
        first = sum(r == 0 for r in ranks) / n
        five = sum(r < 5 for r in ranks) / n
        print(f"{name}: {n} words, first {first:.1%}, within five {five:.1%}")


main()
