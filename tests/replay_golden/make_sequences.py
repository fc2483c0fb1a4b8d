#!/usr/bin/env python3
"""Writes sequences.txt: key sequences for the replay golden test, one per line.

Deterministic (fixed seed); run it again only to change the set of sequences. The expected
output beside it comes from scripts/update_replay_golden.sh.
"""
import random
from pathlib import Path

LETTERS = "A K H I S M U T Y E N R O Z W".split()
EDIT = ["BS", "RET", "LEFT", "RIGHT", "UP", "DOWN"]
MODES = ["MODE", "CAPS"]
rng = random.Random(20261208)


def word(n):
    keys = []
    for _ in range(n):
        key = rng.choice(LETTERS)
        keys += [key] * rng.choice([1, 1, 1, 2, 3])
    return keys


def sequence(length, caret_rate, delall_rate, mode_rate):
    keys, size = [], 0
    while len(keys) < length:
        roll = rng.random()
        if roll < caret_rate:
            keys.append(f"CARET:{rng.randrange(0, 4 + size * 2)}")
        elif roll < caret_rate + delall_rate:
            keys.append("DELALL")
        elif roll < caret_rate + delall_rate + mode_rate:
            keys.append(rng.choice(MODES))
        elif roll < 0.55:
            keys += word(rng.randint(1, 4))
            size += 2
        else:
            keys.append(rng.choice(EDIT))
    return keys


lines = [
    "K A I DOWN RET",
    "K A I DOWN DOWN DOWN RIGHT",
    "K A N A T T A LEFT LEFT BS RIGHT",
    "MODE A A K K K RET",
    "CAPS I S M U RET DOWN DOWN",
    "CAPS I S DOWN DOWN I BS BS",
    "MODE MODE MODE RET",
    "MODE CAPS I I S RIGHT RET",
    "K A RET RET K I CARET:2 BS",
    "K A RET RET K I CARET:0 K A DELALL",
    "K A I DELALL DELALL",
    "N N Y A UP UP DOWN",
    "T T A UP RET LEFT LEFT UP DOWN",
    "N N N DOWN DOWN DOWN BS LEFT A K I DOWN",
    "A RET N N N DOWN DOWN DOWN BS CARET:0 A K I DOWN",
    # ↑ ↑ takes the candidate off display and ends the count: the next ↓ shows the first one.
    "Z DOWN UP UP BS Z DOWN",
    "K A I DOWN UP UP BS BS K A I DOWN",
]
for n in range(60):  # short
    lines.append(" ".join(sequence(rng.randint(3, 25), 0.05, 0.01, 0.08)))
for n in range(120):  # middling, caret clicks and mode changes
    lines.append(" ".join(sequence(rng.randint(30, 120), 0.08, 0.01, 0.06)))
for n in range(60):  # long texts, few deletions
    lines.append(" ".join(sequence(rng.randint(400, 1500), 0.03, 0.0005, 0.02)))
for n in range(40):  # mode-heavy
    lines.append(" ".join(sequence(rng.randint(20, 80), 0.05, 0.01, 0.25)))

Path(__file__).with_name("sequences.txt").write_text("\n".join(lines) + "\n")
