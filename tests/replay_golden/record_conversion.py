#!/usr/bin/env python3
"""Records what lumeta-replay prints for a fixed set of key sequences.

    tests/replay_golden/record_conversion.py build/dev/tools/lumeta-replay \
        > tests/replay_golden/conversion.txt

The sequences type words through the romaji keys and convert them with ↓ and ↑, mixed with
random presses of every key. Each case is a line "$ <tokens>" (a leading "--trace" asks for one
state per key) followed by the replay's output lines. The file was recorded with the built-in
dictionary alone, and the replay must keep printing exactly this with --builtin-dictionary.
"""
import random
import subprocess
import sys

# Taps of each romaji letter: the key and how many times it is pressed in a row.
CONSONANT_TAPS = {
    "k": ("K", 1), "g": ("K", 2), "q": ("K", 3), "h": ("H", 1), "b": ("H", 2), "p": ("H", 3),
    "s": ("S", 1), "z": ("S", 2), "j": ("S", 3), "m": ("M", 1), "f": ("M", 2), "v": ("M", 3),
    "t": ("T", 1), "d": ("T", 2), "c": ("T", 3), "y": ("Y", 1), "n": ("N", 1), "r": ("R", 1),
    "l": ("R", 2), "w": ("W", 1), "x": ("W", 2),
}
VOWELS = {"a": "A", "i": "I", "u": "U", "e": "E", "o": "O"}

WORDS = """kai ai kyou kanji kanjihenkan keitai denwa aoi aki aa gazou hanni onaji tsukatta kaku
basho namae hozon idou tsukau tsukatte nihon nyuuryoku henkan toukyou shashin jikan kan
kawa sakura yama umi hon ki ka ko sa shi su se so ta chi te to na ni nu ne no ha hi fu he ho
ma mi mu me mo ya yu yo ra ri ru re ro wa wo nn mono koto hito hitotsu futatsu kyoto
benkyou gakkou watashi anata kore sore are dore ookii chiisai atarashii furui takai yasui
kaita kaite kakimasu yonda yomu mita miru itta iku kita kuru shita suru datta desu masu
romajinyuuryoku seikou setsumei denki sanpo sensei gakusei tomodachi kazoku
hashi ame kami kaki kumo hana sora kaze yuki tsuki hoshi mizu hi tsuchi ishi ike""".split()


def taps(word):
    out, last = [], None
    i = 0
    while i < len(word):
        ch = word[i]
        if ch in VOWELS:
            key = VOWELS[ch]
            if key == last:
                out.append("RIGHT")  # a repeated vowel key would cycle
            out.append(key)
            last = key
        else:
            key, n = CONSONANT_TAPS[ch]
            if key == last:
                out.append("RIGHT")
            out += [key] * n
            last = key
        i += 1
    return out


ALL_KEYS = ("A K H I S M U T Y E N R O Z W BS RET CAPS MODE LEFT RIGHT UP DOWN "
            "DELALL").split()


def sequences():
    rng = random.Random(20261208)
    cases = []
    # Each word, converted with one to several ↓ presses, sometimes ↑ as well.
    for word in WORDS:
        cases.append(taps(word) + ["DOWN"])
    for word in WORDS:
        seq = taps(word) + ["DOWN"] * rng.randint(2, 20)
        if rng.random() < 0.3:
            seq += ["UP"]
        if rng.random() < 0.5:
            seq += taps(rng.choice(WORDS)) + ["DOWN"] * rng.randint(1, 5)
        cases.append(seq)
    # Sentences of several words, confirmed by the next letter or the centre key.
    for _ in range(60):
        seq = []
        for _ in range(rng.randint(2, 6)):
            seq += taps(rng.choice(WORDS)) + ["DOWN"] * rng.randint(0, 4)
            seq += rng.choice([[], ["RET"], ["LEFT"], ["BS"], ["UP"]])
        cases.append(seq)
    # Random presses of every key, ↓ often.
    for _ in range(80):
        seq = [rng.choice(ALL_KEYS + ["DOWN"] * 4) for _ in range(rng.randint(5, 60))]
        cases.append(seq)
    # A few with every state printed.
    traced = []
    for _ in range(12):
        seq = []
        for _ in range(rng.randint(1, 3)):
            seq += taps(rng.choice(WORDS)) + ["DOWN"] * rng.randint(1, 6)
        traced.append(["--trace"] + seq)
    return cases + traced


def main():
    replay = sys.argv[1]
    for seq in sequences():
        result = subprocess.run([replay, "--builtin-dictionary"] + seq, capture_output=True,
                                text=True, check=True)
        sys.stdout.write("$ " + " ".join(seq) + "\n" + result.stdout)


main()
