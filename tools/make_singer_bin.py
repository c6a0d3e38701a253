#!/usr/bin/python3
"""Writes resources/singer.bin: no singer lines, the separator, then one line per Big5 character with a
Mandarin reading: aaabbbccc = decimal Zhuyin keyboard key, trail byte, lead byte of the character.

The key is that of the first Bopomofo symbol of the character's reading (Unihan kMandarin; where it gives
two readings the second is the one customary in Taiwan, and this table serves Big5 users, so that one is
taken). Run:  /usr/bin/python3 tools/make_singer_bin.py [output]
"""
import os
import sys
import unicodedata

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unihan  # noqa: E402

# The standard Zhuyin keyboard: key i types symbol i.
ZHUYIN_KEYS = "1qaz2wsxedcrfv5tgbyhn8ik,9ol.0p;/-ujm"
BOPOMOFO = "ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦㄧㄨㄩ"
KEY_OF_SYMBOL = dict(zip(BOPOMOFO, ZHUYIN_KEYS))

SEPARATOR = "#" * 33

INITIALS = [  # longest first: zh before z
    ("zh", "ㄓ"), ("ch", "ㄔ"), ("sh", "ㄕ"),
    ("b", "ㄅ"), ("p", "ㄆ"), ("m", "ㄇ"), ("f", "ㄈ"), ("d", "ㄉ"), ("t", "ㄊ"), ("n", "ㄋ"), ("l", "ㄌ"),
    ("g", "ㄍ"), ("k", "ㄎ"), ("h", "ㄏ"), ("j", "ㄐ"), ("q", "ㄑ"), ("x", "ㄒ"),
    ("r", "ㄖ"), ("z", "ㄗ"), ("c", "ㄘ"), ("s", "ㄙ"),
]
# Syllables without an initial begin with their final's first symbol.
BARE_FINALS = [
    ("ai", "ㄞ"), ("ei", "ㄟ"), ("ao", "ㄠ"), ("ou", "ㄡ"), ("an", "ㄢ"), ("en", "ㄣ"), ("ang", "ㄤ"),
    ("eng", "ㄥ"), ("er", "ㄦ"), ("a", "ㄚ"), ("o", "ㄛ"), ("ê", "ㄝ"), ("e", "ㄜ"),
]


def plain_pinyin(syllable):
    """Lower case, tone marks dropped, ü and ê kept."""
    decomposed = unicodedata.normalize("NFD", syllable.lower())
    toneless = "".join(ch for ch in decomposed if ch not in "\u0300\u0301\u0304\u030c")
    return unicodedata.normalize("NFC", toneless)


def first_bopomofo(syllable):
    """The first Bopomofo symbol of a pinyin syllable, or None when it is no pinyin."""
    s = plain_pinyin(syllable)
    if s.startswith("y"):  # yu, yue, yuan, yun, yong are ㄩ...; the rest (yi, ya, you, ...) ㄧ...
        return "ㄩ" if s.startswith(("yu", "yong")) else "ㄧ"
    if s.startswith("w"):
        return "ㄨ"
    for spelling, symbol in INITIALS:
        if s.startswith(spelling):
            return symbol  # also the syllabic m, n, ng and hm, hng: their consonant
    for spelling, symbol in sorted(BARE_FINALS, key=lambda f: -len(f[0])):
        if s.startswith(spelling):
            return symbol
    return None


def taiwan_reading(kmandarin):
    readings = kmandarin.split()
    return readings[1] if len(readings) > 1 else readings[0]


def character_lines():
    mandarin = unihan.read_field("Readings", "kMandarin")["kMandarin"]
    lines = []
    for code, cp in sorted(unihan.big5_codes().items()):
        if cp not in mandarin:
            continue
        symbol = first_bopomofo(taiwan_reading(mandarin[cp]))
        if symbol is None:
            raise SystemExit("no Bopomofo for %s %r" % (chr(cp), mandarin[cp]))
        key = KEY_OF_SYMBOL[symbol]
        lines.append("%03d%03d%03d" % (ord(key), code & 0xFF, code >> 8))
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "singer.bin")
    lines = [SEPARATOR] + character_lines()
    with open(out, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("ascii"))
    print("%s: %d character lines" % (out, len(lines) - 1))


if __name__ == "__main__":
    main()
