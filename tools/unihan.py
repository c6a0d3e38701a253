"""Reading Debian's Unihan files (package unicode-data) for the data generators."""
import bz2
import os
import unicodedata

UNIHAN_DIR = os.environ.get("UNIHAN_DIR", "/usr/share/unicode")


def read_field(file_stem, *fields):
    """{field: {code point: value}} for the given fields of one Unihan_<file_stem>.txt(.bz2)."""
    path = os.path.join(UNIHAN_DIR, "Unihan_%s.txt" % file_stem)
    opener = open
    if not os.path.exists(path):
        path += ".bz2"
        opener = bz2.open
    found = {f: {} for f in fields}
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if not line.startswith("U+"):
                continue
            cp, field, value = line.rstrip("\n").split("\t", 2)
            if field in found:
                found[field][int(cp[2:], 16)] = value
    return found


def big5_codes():
    """{Big5 code: code point} from kBigFive. A compatibility ideograph (U+FA0C 兀 at C94A, U+FA0D 嗀 at
    DDFC: Big5 holds these two characters twice) is given as the character it stands for."""
    codes = {}
    for cp, value in read_field("OtherMappings", "kBigFive")["kBigFive"].items():
        canonical = unicodedata.normalize("NFC", chr(cp))
        codes[int(value, 16)] = ord(canonical) if len(canonical) == 1 else cp
    return codes


def is_big5_hanzi(code):
    """The two hanzi blocks of Big5: frequent A440-C67E, less frequent C940-F9D5."""
    return 0xA440 <= code <= 0xC67E or 0xC940 <= code <= 0xF9D5
