"""How often ↓ converts a whole phrase chunk of real prose (a content word and the function words
after it: 画像の, 選択すると, 大きさが): the share of chunks whose spelling is the first candidate
of the chunk's reading, and within the first five, as lumeta-replay --lookup lists them (any
build, old or new); the same for the single words in those chunks (each verb or adjective with
its endings: 書いた), as rank_bench.py counts them.

    bash bench/prose/make_corpus.sh 9000 chunks > build/chunks.tsv
    python3 bench/prose/chunk_bench.py build/dev/tools/lumeta-replay build/chunks.tsv

Counted: every chunk (and word) whose spelling differs from its reading, so it needs
converting, and whose reading is hiragana only; chunks of two words or more also apart. Each
occurrence counts (the manual pages repeat themselves: the distinct ones are shown as well).
--misses N prints N chunks whose first candidate is wrong, the commonest first, with what came
first instead.
"""
import argparse
import collections
import json
import re
import subprocess

KANA_ONLY = re.compile(r"^[\u3041-\u3094\u30fc]+$")


def read_chunks(path, most):
    """The chunks of `path`, each a list of (reading, spelling, part of speech) words."""
    found, chunk = [], []
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3:
                chunk.append(tuple(parts))
                continue
            if chunk:
                found.append(chunk)
                chunk = []
            if len(found) >= most:
                break
    if chunk and len(found) < most:
        found.append(chunk)
    return found


def needs_converting(reading, spelling):
    return reading != spelling and KANA_ONLY.match(reading) is not None


def candidates_of(replay, readings):
    out = subprocess.run([replay, "--lookup", "--no-predictions"],
                         input="\n".join(readings) + "\n", capture_output=True, text=True,
                         check=True).stdout
    return {j["reading"]: j["candidates"] for j in map(json.loads, out.splitlines())}


def shares(items, candidates):
    """(count, first, within five, none offered) over `items`, (reading, spelling) pairs."""
    first = five = none = 0
    for reading, spelling in items:
        listed = candidates.get(reading, [])
        none += not listed
        if spelling in listed:
            rank = listed.index(spelling)
            first += rank == 0
            five += rank < 5
    n = max(len(items), 1)
    return len(items), first / n, five / n, none / n


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("replay")
    parser.add_argument("chunks")
    parser.add_argument("--most", type=int, default=1_000_000, help="read at most N chunks")
    parser.add_argument("--misses", type=int, default=0)
    args = parser.parse_args()

    chunks = read_chunks(args.chunks, args.most)
    whole = [("".join(w[0] for w in c), "".join(w[1] for w in c), len(c)) for c in chunks]
    whole = [w for w in whole if needs_converting(w[0], w[1])]
    words = [(r, s) for c in chunks for r, s, _ in c if needs_converting(r, s)]
    readings = sorted({r for r, _, _ in whole} | {r for r, _ in words})
    candidates = candidates_of(args.replay, readings)

    groups = {
        "chunks": [(r, s) for r, s, _ in whole],
        "chunks of two words or more": [(r, s) for r, s, n in whole if n >= 2],
        "distinct chunks": sorted({(r, s) for r, s, _ in whole}),
        "single words": words,
    }
    for name, items in groups.items():
        n, first, five, none = shares(items, candidates)
        print(json.dumps({"group": name, "count": n, "first": round(100 * first, 1),
                          "within_five": round(100 * five, 1),
                          "no_candidate": round(100 * none, 1)}, ensure_ascii=False))

    if args.misses:
        missed = collections.Counter((r, s) for r, s, _ in whole
                                     if candidates.get(r, [None])[:1] != [s])
        for (reading, spelling), count in missed.most_common(args.misses):
            listed = candidates.get(reading, [])
            print(f"{count}\t{reading}\t{spelling}\t{' '.join(listed[:5])}")


if __name__ == "__main__":
    main()
