"""Switch presses and scan steps per character of real prose, typed by scanning.

    python3 bench/prose/scan_measure.py path/to/lumeta-replay CORPUS [--sentences N]

Every word of CORPUS (from make_corpus.sh) is typed the cheapest way by scanning, with the same
moves as measure.py (multi-tap romaji, ↓ and 決定, ↑ and 決定, a click on the strip's
predictions, candidates or next-word offers), each press costing what the highlight needs to
reach it: the groups are those of the scanner (src/keypad/scanner.cpp) — the five keypad rows,
the strip while it shows something, the control block モード ↑ ← 決定 → ↓ 数字／小文字 クリア, the
window keys — and after each pick the highlight starts again at the first group. A press of a
key in group g at place k (both from 0) takes g + k steps and two picks.

  two switches: switch presses = steps + picks (Space per step, Enter per pick)
  one switch:   switch presses = picks; the highlight moves by itself, and each place it
                stands on, the picked ones included, is counted one interval (1.0 s)

Three places of the strip are compared while it holds predictions or offers: first, before
the keypad rows, first only with next-word offers (as the scanner does), and always after the
rows. The strip is taken to hold something from a word's first whole kana on (predictions or
candidates), and the offers are those learned from the text before (as in measure.py's last
variant). The usual AAC board, a row-column scan of a plain 50-sound kana table with no
conversion (rows あ か さ た な は ま や ら わ, then a row of the small kana and marks, the
voiced kana by a ゛ key after the kana), is measured on the same text, kana for kana.

Before the figures, a sample of words is typed through `lumeta-replay --scan=two-switch`
with the STEP and SWITCH tokens this model plans, and the text the replay prints is checked.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure import lookup, prefixes, read_corpus, typed_as_is  # noqa: E402
from presses import kana_taps  # noqa: E402

ROWS = [["A", "K", "H"], ["I", "S", "M"], ["U", "T", "Y"], ["E", "N", "R"], ["O", "Z", "W"]]
CONTROL = ["MODE", "UP", "LEFT", "RET", "RIGHT", "DOWN", "CAPS", "BS"]

# Where the strip stands while it holds predictions or offers.
POLICIES = {
    "strip first with predictions or offers": lambda state: state in ("preds", "offers"),
    "strip first with offers only (the scanner's)": lambda state: state == "offers",
    "strip after the rows": lambda state: False,
}


def groups(state, strip_first):
    """The groups' names in order for a strip `state`: empty, cands, preds or offers."""
    rows = [f"row{r}" for r in range(len(ROWS))]
    if state == "empty":
        return rows + ["control", "window"]
    if strip_first(state):
        return ["strip"] + rows + ["control", "window"]
    return rows + ["strip", "control", "window"]


def place(target, state, strip_first):
    """(group, place) of a key token or ("strip", k)."""
    order = groups(state, strip_first)
    if isinstance(target, tuple):
        return order.index("strip"), target[1]
    for r, row in enumerate(ROWS):
        if target in row:
            return order.index(f"row{r}"), row.index(target)
    return order.index("control"), CONTROL.index(target)


class Cost:
    def __init__(self):
        self.steps = self.picks = 0

    def add(self, target, state, strip_first):
        g, k = place(target, state, strip_first)
        self.steps += g + k
        self.picks += 2


def typing_plan(reading, start_state, predicting):
    """The presses that type `reading`, each with the strip state it is made in."""
    taps = kana_taps(reading)
    first = len(kana_taps(reading[:2] if reading[:2] in ("きゃ",) else reading[:1]) or [None])
    plan, previous, n = [], None, 0
    for key, count in taps:
        if key == previous:
            plan.append(("RIGHT", "preds" if predicting else "cands"))
        for _ in range(count):
            state = start_state if n == 0 else "empty" if n < first else (
                "preds" if predicting else "cands")
            plan.append((key, state))
            n += 1
        previous = key
    return plan


def cost_of(plan, strip_first):
    c = Cost()
    for target, state in plan:
        c.add(target, state, strip_first)
    return c


def word_plans(spelling, reading, answers, start_state, predicting):
    """Every way to type the word: lists of (target, strip state)."""
    whole = answers[reading]
    typed = typing_plan(reading, start_state, predicting)
    plans = []
    cands = whole["candidates"]
    preds_on_page = len(whole.get("predictions", []))
    if spelling in cands:
        n = cands.index(spelling) + 1
        plans.append(typed + [("DOWN", "cands")] * n + [("RET", "cands")])
        if n <= whole.get("first_page_candidates", 0 if predicting else 6):
            state = "preds" if predicting and preds_on_page else "cands"
            plans.append(typed + [(("strip", preds_on_page + n - 1), state)])
    for prefix in prefixes(reading):
        preds = answers[prefix].get("predictions", [])
        if spelling in preds:
            plans.append(typing_plan(prefix, start_state, predicting) +
                         [(("strip", preds.index(spelling)), "preds")])
    if not plans:
        plans.append(typed + [("RET", "preds" if predicting else "cands")])
    return plans


def measure(sentences, answers_for, offers_for, predicting, strip_first):
    """Totals over the text for one variant and one place of the strip."""
    steps = picks = chars = 0
    index = 0
    for s, words in enumerate(sentences):
        pending = False
        for k, (spelling, reading, _) in enumerate(words):
            chars += len(spelling)
            offers = offers_for(s, k)
            start = "offers" if offers and not pending else "empty"
            options = []
            if spelling in offers and not pending:
                options.append([(("strip", offers.index(spelling)), "offers")])
            if typed_as_is(spelling, reading):
                options.append(typing_plan(reading, start, predicting))
                best = min((cost_of(p, strip_first) for p in options), key=lambda c: c.steps)
                steps += best.steps
                picks += best.picks
                pending = not (spelling in offers and best.picks == 2)
                continue
            prefix = []
            if pending:
                prefix = [("RET", "preds" if predicting else "cands")]
            for plan in word_plans(spelling, reading, answers_for(index, reading), start,
                                   predicting):
                options.append(prefix + plan)
            index += 1
            best = min((cost_of(p, strip_first) for p in options), key=lambda c: c.steps + c.picks)
            steps += best.steps
            picks += best.picks
            pending = False
        if pending:
            c = Cost()
            c.add("RET", "preds" if predicting else "cands", strip_first)
            steps += c.steps
            picks += c.picks
    return {
        "two_switch_presses_per_char": round((steps + picks) / chars, 2),
        "one_switch_presses_per_char": round(picks / chars, 2),
        "scan_steps_per_char": round(steps / chars, 2),
        "one_switch_seconds_per_char_at_1s": round((steps + picks) / chars, 2),
        "characters": chars,
    }


# The plain kana board: rows of five, scanned row then column; ゛ ゜ and small kana by a mark
# row after the kana.
BOARD = ["あいうえお", "かきくけこ", "さしすせそ", "たちつてと", "なにぬねの", "はひふへほ",
         "まみむめも", "やゆよ", "らりるれろ", "わをんー", "゛゜小、。"]
VOICED = {**{v: b for b, v in zip("かきくけこさしすせそたちつてとはひふへほ",
                                   "がぎぐげござじずぜぞだぢづでどばびぶべぼ")},
          **{v: b for b, v in zip("はひふへほ", "ぱぴぷぺぽ")}}
SMALL = {s: b for b, s in zip("あいうえおやゆよつわ", "ぁぃぅぇぉゃゅょっゎ")}


def board_cost(kana):
    """(steps, picks) to type `kana` on the board, None if it has no way."""
    where = {c: (r, k) for r, row in enumerate(BOARD) for k, c in enumerate(row)}
    steps = picks = 0
    for ch in kana:
        marks = []
        if ch in VOICED:
            marks = ["゜" if ch in "ぱぴぷぺぽ" else "゛"]
            ch = VOICED[ch]
        elif ch in SMALL:
            marks, ch = ["小"], SMALL[ch]
        for c in [ch] + marks:
            if c not in where:
                return None
            r, k = where[c]
            steps += r + k
            picks += 2
    return steps, picks


def measure_board(sentences):
    steps = picks = chars = 0
    for words in sentences:
        for spelling, reading, _ in words:
            c = board_cost(reading)
            if c is None:
                continue
            chars += len(spelling)
            steps += c[0]
            picks += c[1]
    return {
        "two_switch_presses_per_char": round((steps + picks) / chars, 2),
        "one_switch_presses_per_char": round(picks / chars, 2),
        "scan_steps_per_char": round(steps / chars, 2),
        "one_switch_seconds_per_char_at_1s": round((steps + picks) / chars, 2),
        "characters": chars,
    }


def tokens_for(plan):
    """The replay's STEP and SWITCH tokens for a plan, with the strip first."""
    out = []
    for target, state in plan:
        g, k = place(target, state, POLICIES["strip first with offers only (the scanner's)"])
        out += ["STEP"] * g + ["SWITCH"] + ["STEP"] * k + ["SWITCH"]
    return out


def check_sample(replay, sentences, count):
    """Types `count` kana words through the replay's scanner as planned; returns mistakes."""
    wrong = []
    seen = 0
    for words in sentences:
        for spelling, reading, _ in words:
            if not typed_as_is(spelling, reading) or seen >= count:
                continue
            plan = typing_plan(reading, "empty", False)
            # → stands after the strip, which may or may not show candidates by then.
            if any(target == "RIGHT" for target, _ in plan):
                continue
            seen += 1
            tokens = tokens_for(plan)
            out = subprocess.run([replay, "--builtin-dictionary", "--scan=two-switch", *tokens],
                                 capture_output=True, text=True, check=True).stdout
            if json.loads(out)["text"] != reading:
                wrong.append(reading)
    return seen, wrong


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("replay")
    parser.add_argument("corpus")
    parser.add_argument("--sentences", type=int, default=1_000_000)
    args = parser.parse_args()
    sentences = read_corpus(args.corpus, args.sentences)
    seen, wrong = check_sample(args.replay, sentences, 200)
    print(f"replay check: {seen - len(wrong)} of {seen} kana words typed as planned"
          + (f"; wrong: {wrong[:5]}" if wrong else ""), file=sys.stderr)

    words = [(s, r) for ws in sentences for s, r, _ in ws if not typed_as_is(s, r)]
    wanted = sorted({p for _, r in words for p in prefixes(r)})
    plain = dict(zip(wanted, lookup(args.replay, wanted, ["--no-predictions"])))
    predicted = dict(zip(wanted, lookup(args.replay, wanted, [])))
    # Offers after each word, learned as the text goes (as measure.py's last variant).
    lines = []
    for ws in sentences:
        for k, (spelling, reading, _) in enumerate(ws):
            if k > 0:
                lines.append(">" + ws[k - 1][0])
            lines.append(f"{reading}\t{spelling}")
        lines.append("")
    with tempfile.TemporaryDirectory() as scratch:
        answers = iter(lookup(args.replay, lines, ["--learning-file", f"{scratch}/l.sqlite3"]))
    offers = {}
    for s, ws in enumerate(sentences):
        for k in range(1, len(ws)):
            offers[(s, k)] = next(answers)["predictions"]

    def per_prefix(table):
        return lambda i, r: {p: table[p] for p in prefixes(r)}

    results = {}
    results["candidates alone"] = measure(sentences, per_prefix(plain), lambda s, k: [], False,
                                          POLICIES["strip after the rows"])
    for name, policy in POLICIES.items():
        results[f"predictions and offers, {name}"] = measure(
            sentences, per_prefix(predicted), lambda s, k: offers.get((s, k), []), True, policy)
    results["50-sound kana board, no conversion"] = measure_board(sentences)
    for name, figures in results.items():
        print(json.dumps({"variant": name, **figures}, ensure_ascii=False))


if __name__ == "__main__":
    main()
