"""Code 39 symbol table shared by the barcode font and the barcode icon.

Every symbol is nine elements, bar and space alternating and starting with
a bar; "n" is a narrow element, "w" a wide one, and exactly three of the
nine are wide.
"""

PATTERNS = {
    "0": "nnnwwnwnn", "1": "wnnwnnnnw", "2": "nnwwnnnnw", "3": "wnwwnnnnn",
    "4": "nnnwwnnnw", "5": "wnnwwnnnn", "6": "nnwwwnnnn", "7": "nnnwnnwnw",
    "8": "wnnwnnwnn", "9": "nnwwnnwnn",
    "A": "wnnnnwnnw", "B": "nnwnnwnnw", "C": "wnwnnwnnn", "D": "nnnnwwnnw",
    "E": "wnnnwwnnn", "F": "nnwnwwnnn", "G": "nnnnnwwnw", "H": "wnnnnwwnn",
    "I": "nnwnnwwnn", "J": "nnnnwwwnn", "K": "wnnnnnnww", "L": "nnwnnnnww",
    "M": "wnwnnnnwn", "N": "nnnnwnnww", "O": "wnnnwnnwn", "P": "nnwnwnnwn",
    "Q": "nnnnnnwww", "R": "wnnnnnwwn", "S": "nnwnnnwwn", "T": "nnnnwnwwn",
    "U": "wwnnnnnnw", "V": "nwwnnnnnw", "W": "wwwnnnnnn", "X": "nwnnwnnnw",
    "Y": "wwnnwnnnn", "Z": "nwwnwnnnn",
    "-": "nwnnnnwnw", ".": "wwnnnnwnn", " ": "nwwnnnwnn", "*": "nwnnwnwnn",
    "$": "nwnwnwnnn", "/": "nwnwnnnwn", "+": "nwnnnwnwn", "%": "nnnwnwnwn",
}


def elements(char, wide=3):
    """The symbol of `char` as (is_bar, width) pairs in narrow units,
    followed by the narrow inter-character gap."""
    pattern = PATTERNS[char.upper()]
    result = [(i % 2 == 0, wide if e == "w" else 1)
              for i, e in enumerate(pattern)]
    result.append((False, 1))
    return result


def symbol_width(wide=3):
    """Width of one symbol with its gap, in narrow units (the same for all)."""
    return 6 * 1 + 3 * wide + 1


def check_table():
    """Fails loudly if the table has lost its Code 39 shape."""
    assert len(PATTERNS) == 44
    assert len(set(PATTERNS.values())) == 44
    for char, pattern in PATTERNS.items():
        assert len(pattern) == 9 and set(pattern) <= {"n", "w"}, char
        assert pattern.count("w") == 3, char
