"""How many presses the keypad needs: the one press model of the prose benchmarks.

Keys are multi-tap: a letter is its key pressed as often as its place in the key's cycle (K:
k g q, so g is K K); a kana is its romaji spelled that way (が: K K A, 3 presses); two letters
in a row on one key need → between them, or the second would step the first's cycle (んな:
N → N A). っ is Y Y, ー is Y Y Y, 、 is Z and 。 is Z Z. A strip click is one press, ↓ and ↑
one each, 決定 one.

ん is typed as the engine takes it: one N where a consonant key follows (K A N S U U is かんすう,
N → N A is んな, N Y Y is んっ) or where the reading is then converted (↓, ↑ or a click on a
candidate turn a lone N into ん: K A N ↓ is 缶); N N (the N key's second tap) before a vowel
or a y-syllable (N A is な, N Y A is にゃ), where the kana are confirmed as typed (決定 leaves a
lone N as Ｎ), and where predictions are wanted for them (the strip predicts from the kana
without the romaji still pending: かＮ predicts from か).

    >>> kana_presses("がぞう")
    7
    >>> kana_presses("かんすう"), kana_presses("かん"), kana_presses("かん", AS_TYPED)
    (7, 3, 4)
    >>> kana_presses("んな"), kana_presses("ほんや"), kana_presses("きんえん")
    (4, 6, 6)
"""

# Letter: (key, taps).
LETTERS = {
    "a": ("A", 1), "i": ("I", 1), "u": ("U", 1), "e": ("E", 1), "o": ("O", 1),
    "k": ("K", 1), "g": ("K", 2), "q": ("K", 3),
    "h": ("H", 1), "b": ("H", 2), "p": ("H", 3),
    "s": ("S", 1), "z": ("S", 2), "j": ("S", 3),
    "m": ("M", 1), "f": ("M", 2), "v": ("M", 3),
    "t": ("T", 1), "d": ("T", 2), "c": ("T", 3),
    "y": ("Y", 1), "n": ("N", 1), "r": ("R", 1), "l": ("R", 2),
    "w": ("W", 1), "x": ("W", 2),
}

# What follows the typed kana: a conversion (↓, ↑, a click on a candidate), or nothing that
# converts them (決定 confirms them as typed, or the strip is to predict from them).
CONVERTED = "converted"
AS_TYPED = "as typed"

# Kana typed by whole key taps rather than letters (ん: the N key's second tap, or its first
# where that is enough, kana_taps).
TAPPED = {
    "っ": [("Y", 2)], "ー": [("Y", 3)], "ん": [("N", 2)], "、": [("Z", 1)], "。": [("Z", 2)],
    "ぁ": [("A", 2)], "ぃ": [("I", 2)], "ぅ": [("U", 2)], "ぇ": [("E", 2)], "ぉ": [("O", 2)],
}

# The romaji of each kana, one row per consonant: the kana of a, i, u, e, o in order.
ROWS = [
    ("", "あいうえお"), ("k", "かきくけこ"), ("g", "がぎぐげご"), ("s", "さしすせそ"),
    ("z", "ざじずぜぞ"), ("t", "たちつてと"), ("d", "だぢづでど"), ("n", "なにぬねの"),
    ("h", "はひふへほ"), ("b", "ばびぶべぼ"), ("p", "ぱぴぷぺぽ"), ("m", "まみむめも"),
    ("y", "や_ゆ_よ"), ("r", "らりるれろ"), ("w", "わゐ_ゑを"),
]
ROMAJI = {}
for consonant, kana in ROWS:
    for vowel, k in zip("aiueo", kana):
        if k != "_":
            ROMAJI[k] = consonant + vowel
ROMAJI.update({"ゔ": "vu", "ゃ": "xya", "ゅ": "xyu", "ょ": "xyo", "ゎ": "xwa"})
# Syllables with a small ya, yu, yo: きゃ kya.
for base in "きしちにひみりぎじぢびぴ":
    for small, vowel in zip("ゃゅょ", "auo"):
        ROMAJI[base + small] = ROMAJI[base][0] + "y" + vowel


def kana_units(kana):
    """The (key, taps) of each kana of `kana` (hiragana, ー, 、。), one list a kana; None if
    untypable. ん is N N here; kana_taps shortens it where one N is enough."""
    units = []
    i = 0
    while i < len(kana):
        two = kana[i:i + 2]
        if len(two) == 2 and two in ROMAJI:
            unit = [LETTERS[c] for c in ROMAJI[two]]
            i += 2
        elif kana[i] in TAPPED:
            unit = TAPPED[kana[i]]
            i += 1
        elif kana[i] in ROMAJI:
            unit = [LETTERS[c] for c in ROMAJI[kana[i]]]
            i += 1
        else:
            return None
        units.append(unit)
    return units


# Keys after which a lone N stays a letter: the vowels (な) and Y's first tap (にゃ).
N_JOINS = {("A", 1), ("A", 2), ("I", 1), ("I", 2), ("U", 1), ("U", 2), ("E", 1), ("E", 2),
           ("O", 1), ("O", 2), ("Y", 1)}


def kana_taps(kana, then=CONVERTED):
    """The (key, taps) of each letter of `kana`, or None if untypable; `then` says what follows
    the last kana (CONVERTED or AS_TYPED)."""
    units = kana_units(kana)
    if units is None:
        return None
    taps = []
    for k, unit in enumerate(units):
        if unit == TAPPED["ん"]:
            if k + 1 < len(units):
                one_n = units[k + 1][0] not in N_JOINS
            else:
                one_n = then == CONVERTED
            if one_n:
                unit = [("N", 1)]
        taps.extend(unit)
    return taps


def kana_presses(kana, then=CONVERTED):
    """Presses to type `kana` as a reading, followed by `then`; None if the keypad cannot type
    it."""
    taps = kana_taps(kana, then)
    if taps is None:
        return None
    presses = 0
    previous = None
    for key, count in taps:
        if key == previous:
            presses += 1  # → between two letters on one key
        presses += count
        previous = key
    return presses


def katakana(hiragana):
    return "".join(chr(ord(c) + 0x60) if "\u3041" <= c <= "\u3096" else c for c in hiragana)


# The cost of confirming a spelling of a whole reading (after typing it), by the ways the strip
# and the keys offer: a click on the strip's first page, ↓ to the candidate and 決定, ↑ and 決定.
CLICK = 1
CONFIRM = 1


def whole_reading_cost(spelling, reading, candidates, first_page):
    """Presses after typing `reading` to confirm `spelling`, or None if it is not offered."""
    costs = []
    if spelling in candidates:
        n = candidates.index(spelling) + 1
        costs.append(n + CONFIRM)
        if n <= first_page:
            costs.append(CLICK)
    if spelling == katakana(reading):
        costs.append(1 + CONFIRM)
    return min(costs) if costs else None


if __name__ == "__main__":
    import doctest
    doctest.testmod()
