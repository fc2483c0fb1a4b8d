"""Presses per character of real prose, typed with the keypad's cheapest moves.

    python3 bench/prose/measure.py path/to/lumeta-replay CORPUS [--sentences N]

CORPUS comes from make_corpus.sh (reading<TAB>spelling<TAB>part of speech, a blank line after
each sentence); words that romaji mode does not type as read (commands, Latin letters) are
left out. Every word is typed the cheapest way the strip and the keys offer, counted with
presses.py, in four settings: today's strip (candidates alone), with predictions, with
predictions and learning (each word's choice, and the word it followed, learned through the
replay's --learning-file after it was typed, so only what was typed earlier in the text
helps), and with the next-word offers added. A word typed as it reads (される) counts a click
on the predictions too, where they offer it once part of it is typed with nothing pending.
Prints presses per character of the finished text, per word with kanji, and the share of words
with kanji that one click picks after typing at most half their reading.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from presses import AS_TYPED, CLICK, CONFIRM, kana_presses, whole_reading_cost  # noqa: E402


def read_corpus(path, most):
    sentences, words = [], []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                if words:
                    sentences.append(words)
                words = []
                if len(sentences) >= most:
                    break
                continue
            reading, spelling, pos = line.split("\t")
            words.append((spelling, reading, pos))
    # Only the words romaji mode types: commands, options and Latin words are left out.
    kept = [[w for w in s if kana_presses(w[1]) is not None] for s in sentences]
    return [s for s in kept if s]


def typed_as_is(spelling, reading):
    return spelling == reading


def lookup(replay, lines, extra):
    """The replay's --lookup answers for `lines`, one JSON object per reading line."""
    result = subprocess.run([replay, "--lookup", *extra], input="\n".join(lines) + "\n",
                            capture_output=True, text=True, check=True)
    return [json.loads(line) for line in result.stdout.splitlines()]


def prefixes(reading):
    return [reading[:k] for k in range(1, len(reading) + 1)]


def word_cost(spelling, reading, answers):
    """Cheapest presses for a converted word; `answers` maps each prefix of its reading to the
    lookup's answer. Returns (presses, clicked after at most half the reading)."""
    whole = answers[reading]
    best = None
    after = whole_reading_cost(spelling, reading, whole["candidates"],
                               whole.get("first_page_candidates", 0))
    if after is not None:
        best = kana_presses(reading) + after
    early = False
    for typed in prefixes(reading):
        if spelling in answers[typed].get("predictions", []):
            cost = kana_presses(typed, AS_TYPED) + CLICK
            if best is None or cost < best:
                best = cost
            if 2 * len(typed) <= len(reading):
                early = True
    if best is None:
        best = kana_presses(reading, AS_TYPED) + CONFIRM  # not offered: left in hiragana
    return best, early


def typed_on(run, reading):
    """Presses to type the kana `reading` on after `run`, the kana typed before it in the same
    reading, all to be confirmed as typed: the ん ending `run` and the → between two letters
    on one key depend on what follows (ほん then や: ほんや)."""
    return kana_presses(run + reading, AS_TYPED) - kana_presses(run, AS_TYPED)


def kana_word_cost(spelling, reading, pending, answers):
    """Presses for a word typed as it reads, after the kana `pending` (typed and not yet
    confirmed), and whether it was clicked from the predictions. With nothing pending, the
    strip may predict it once part of it is typed (a word the user wrote after the word before
    it: される after 表示); a click confirms it."""
    typed = typed_on(pending, reading)
    if pending:
        return typed, False
    for prefix in prefixes(reading)[:-1]:
        if spelling in answers[prefix].get("predictions", []):
            cost = kana_presses(prefix, AS_TYPED) + CLICK
            if cost < typed:
                return cost, True
    return typed, False


def measure(sentences, answers_for):
    """Totals over the text; `answers_for(i, reading)` gives the answers for word i (every
    word counts, kana ones too)."""
    presses = characters = kanji_words = kanji_presses = early = 0
    index = 0
    for words in sentences:
        pending = ""  # typed kana waiting for 決定
        for spelling, reading, _ in words:
            characters += len(spelling)
            answers = answers_for(index, reading)
            index += 1
            if typed_as_is(spelling, reading):
                cost, clicked = kana_word_cost(spelling, reading, pending, answers)
                presses += cost
                pending = "" if clicked else pending + reading
                continue
            if pending:
                presses += CONFIRM
                pending = ""
            cost, clicked_early = word_cost(spelling, reading, answers)
            presses += cost
            if any("\u4e00" <= c <= "\u9fff" for c in spelling):
                kanji_words += 1
                kanji_presses += cost
                early += clicked_early
        if pending:
            presses += CONFIRM
    return {
        "presses_per_character": round(presses / characters, 3),
        "presses_per_kanji_word": round(kanji_presses / max(kanji_words, 1), 2),
        "kanji_words_one_click_at_half": round(100 * early / max(kanji_words, 1), 1),
        "characters": characters,
        "presses": presses,
    }


def text_lines(sentences, offers):
    """The replay's input for the whole text in its order: each word's prefixes looked up, then
    the word confirmed (reading<TAB>spelling, learned after the word before it), an empty line
    after each sentence; with `offers`, a >previous line before each word but a sentence's
    first asks what the strip offers after the word before it."""
    lines = []
    for words in sentences:
        for k, (spelling, reading, _) in enumerate(words):
            if offers and k > 0:
                lines.append(">" + words[k - 1][0])
            lines.extend(prefixes(reading))
            lines.append(f"{reading}\t{spelling}")
        lines.append("")
    return lines


def learned_as_typed(replay, sentences, offers):
    """The replay's answers for text_lines, learning into a scratch file, as an iterator."""
    with tempfile.TemporaryDirectory() as scratch:
        return iter(lookup(replay, text_lines(sentences, offers),
                           ["--learning-file", os.path.join(scratch, "l.sqlite3")]))


def converted(sentences):
    return [(s, r) for words in sentences for s, r, _ in words if not typed_as_is(s, r)]


def answers_by_prefix(replay, sentences, extra):
    wanted = sorted({p for words in sentences for _, r, _ in words for p in prefixes(r)})
    return dict(zip(wanted, lookup(replay, wanted, extra)))


def measure_with_offers(replay, sentences):
    """Predictions and learning, and the words the strip offers right after a confirmation.

    A word among the offers after the word before it costs one click, after a 決定 when the
    previous word is kana still pending. Offers follow only a word confirmed on its own: after
    two kana words typed in one run, 決定 would confirm both as one, so nothing is offered for
    the next word."""
    stream = learned_as_typed(replay, sentences, offers=True)

    presses = characters = kanji_words = kanji_presses = early = clicked = 0
    for words in sentences:
        pending = []  # kana words typed and waiting for 決定
        for k, (spelling, reading, _) in enumerate(words):
            characters += len(spelling)
            offers = next(stream)["predictions"] if k > 0 else []
            answers = {p: next(stream) for p in prefixes(reading)}
            click = None
            if spelling in offers and len(pending) <= 1:
                click = CLICK + (CONFIRM if pending else 0)
            kanji = any("\u4e00" <= c <= "\u9fff" for c in spelling)
            if typed_as_is(spelling, reading):
                typed, predicted = kana_word_cost(spelling, reading, "".join(pending), answers)
                if click is not None and click <= typed:
                    presses += click
                    clicked += 1
                    pending = []
                else:
                    presses += typed
                    pending = [] if predicted else pending + [reading]
                continue
            cost, clicked_early = word_cost(spelling, reading, answers)
            cost += CONFIRM if pending else 0
            if click is not None and click <= cost:
                cost, clicked_early = click, True
                clicked += 1
            presses += cost
            pending = []
            if kanji:
                kanji_words += 1
                kanji_presses += cost
                early += clicked_early
        if pending:
            presses += CONFIRM
    return {
        "presses_per_character": round(presses / characters, 3),
        "presses_per_kanji_word": round(kanji_presses / max(kanji_words, 1), 2),
        "kanji_words_one_click_at_half": round(100 * early / max(kanji_words, 1), 1),
        "characters": characters,
        "presses": presses,
        "words_clicked_from_offers": clicked,
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("replay")
    parser.add_argument("corpus")
    parser.add_argument("--sentences", type=int, default=1_000_000)
    args = parser.parse_args()
    sentences = read_corpus(args.corpus, args.sentences)
    words = converted(sentences)
    print(f"{len(sentences)} sentences, {len(words)} converted words", file=sys.stderr)


    results = {}
    today = answers_by_prefix(args.replay, sentences, ["--no-predictions"])
    results["today"] = measure(sentences, lambda i, r: {p: today[p] for p in prefixes(r)})
    predicted = answers_by_prefix(args.replay, sentences, [])
    results["predictions"] = measure(sentences, lambda i, r: {p: predicted[p] for p in prefixes(r)})

    # Learning: every prefix looked up in the text's order, then the word's choice learned.
    stream = learned_as_typed(args.replay, sentences, offers=False)
    results["predictions_and_learning"] = measure(
        sentences, lambda i, r: {p: next(stream) for p in prefixes(r)})

    results["predictions_learning_and_next_words"] = measure_with_offers(args.replay, sentences)

    for name, figures in results.items():
        print(json.dumps({"variant": name, **figures}, ensure_ascii=False))


if __name__ == "__main__":
    main()
