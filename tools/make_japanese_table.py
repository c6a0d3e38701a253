#!/usr/bin/python3
"""Writes resources/japanese_table.txt, the built-in Japanese reading table (Big5 text, CR LF lines):

1. pairs of lines: a kana line (the hiragana and katakana of one syllable) and a line of the kanji whose
   reading begins with that kana (at most 121 kanji; a longer group goes on in another pair);
2. a separator line of 57 "*";
3. the basic kana table: each of 71 syllables in hiragana, then in katakana, as "<kana> <romaji>".

The kanji are the Big5 forms of the kanji in everyday Japanese use: the Joyo and Jinmeiyo kanji (a
simplified form through its traditional form) and the first level of JIS X 0208. A kanji's reading is its
first on reading, else its first kun reading (Unihan kJapaneseOn / kJapaneseKun).
Kanji are written with their Unihan kBigFive codes; kana as code page 950's user area holds them (hiragana
from C6E7, katakana from C77B), which only iconv's BIG5-HKSCS produces. Run:  /usr/bin/python3 tools/make_japanese_table.py [output]
"""
import os
import subprocess
import sys
import unicodedata

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import unihan  # noqa: E402

MAX_GROUP = 121
SEPARATOR = "*" * 57

# The basic kana table in its order; romaji as the jukeboxes spell them (hu, di, du).
SYLLABLES = [
    ("あ", "a"), ("い", "i"), ("う", "u"), ("え", "e"), ("お", "o"),
    ("か", "ka"), ("き", "ki"), ("く", "ku"), ("け", "ke"), ("こ", "ko"),
    ("さ", "sa"), ("し", "shi"), ("す", "su"), ("せ", "se"), ("そ", "so"),
    ("た", "ta"), ("ち", "chi"), ("つ", "tsu"), ("て", "te"), ("と", "to"),
    ("な", "na"), ("に", "ni"), ("ぬ", "nu"), ("ね", "ne"), ("の", "no"),
    ("は", "ha"), ("ひ", "hi"), ("ふ", "hu"), ("へ", "he"), ("ほ", "ho"),
    ("ま", "ma"), ("み", "mi"), ("む", "mu"), ("め", "me"), ("も", "mo"),
    ("や", "ya"), ("ゆ", "yu"), ("よ", "yo"),
    ("ら", "ra"), ("り", "ri"), ("る", "ru"), ("れ", "re"), ("ろ", "ro"),
    ("わ", "wa"), ("を", "wo"), ("ん", "n"),
    ("が", "ga"), ("ぎ", "gi"), ("ぐ", "gu"), ("げ", "ge"), ("ご", "go"),
    ("ざ", "za"), ("じ", "ji"), ("ず", "zu"), ("ぜ", "ze"), ("ぞ", "zo"),
    ("だ", "da"), ("ぢ", "di"), ("づ", "du"), ("で", "de"), ("ど", "do"),
    ("ば", "ba"), ("び", "bi"), ("ぶ", "bu"), ("べ", "be"), ("ぼ", "bo"),
    ("ぱ", "pa"), ("ぴ", "pi"), ("ぷ", "pu"), ("ぺ", "pe"), ("ぽ", "po"),
]
KANA_OF_ROMAJI = {romaji: kana for kana, romaji in SYLLABLES}
KANA_OF_ROMAJI.update({"fu": "ふ", "si": "し", "ti": "ち", "tu": "つ", "zi": "じ"})

# Simplified Japanese forms that Unihan links to no Big5 character, with their traditional forms.
# Forms made in Japan (働, 込, 畑, ...) have none and stay out.
TRADITIONAL_FORMS = {
    "亀": "龜", "仮": "假", "剤": "劑", "労": "勞", "勧": "勸", "喩": "喻", "営": "營", "囲": "圍",
    "図": "圖", "圧": "壓", "壌": "壤", "壱": "壹", "姫": "姬", "対": "對", "帰": "歸", "廃": "廢",
    "弐": "貳", "悩": "惱", "戻": "戾", "択": "擇", "拠": "據", "拡": "擴", "挙": "舉", "斎": "齋",
    "桟": "棧", "楕": "橢", "権": "權", "歓": "歡", "歯": "齒", "殻": "殼", "沢": "澤", "浜": "濱",
    "済": "濟", "渋": "澀", "渓": "溪", "満": "滿", "犠": "犧", "猟": "獵", "産": "產", "発": "發",
    "皐": "皋", "穏": "穩", "粛": "肅", "経": "經", "絵": "繪", "継": "繼", "続": "續", "総": "總",
    "縄": "繩", "聡": "聰", "脳": "腦", "舎": "舍", "舗": "舖", "蛍": "螢", "覚": "覺", "観": "觀",
    "訳": "譯", "読": "讀", "讃": "讚", "軽": "輕", "辺": "邊", "遅": "遲", "釈": "釋", "鉱": "礦",
    "銭": "錢", "閲": "閱", "闘": "鬥", "隠": "隱", "霊": "靈", "頬": "頰", "顔": "顏", "顚": "顛",
    "駄": "馱", "駅": "驛", "駆": "驅", "髄": "髓", "鶏": "雞", "麺": "麵", "齢": "齡", "猪": "豬",
}


def first_kana(romaji):
    """The hiragana of the first syllable of an upper-case Unihan romaji reading (KYOU -> き)."""
    r = romaji.lower()
    i = 0
    while i < len(r) and r[i] not in "aiueo":
        i += 1
    if i == len(r):
        return None
    consonant, vowel = r[:i], r[i]
    if consonant.startswith("f"):
        return "ふ"
    if len(consonant) > 1 and consonant.endswith("y"):  # kya, shyu: the i-syllable and a small kana
        consonant, vowel = consonant.rstrip("y"), "i"
    if consonant in ("sh", "ch", "j"):
        vowel = "i"
    return KANA_OF_ROMAJI.get(consonant + vowel)


def candidates_by_variants(cp, fields, paired):
    found = [ord(unicodedata.normalize("NFC", chr(cp)))] + paired.get(cp, [])
    for values in fields:
        if cp in values:
            found += [int(v.split("<")[0][2:], 16) for v in values[cp].split()]
    if chr(cp) in TRADITIONAL_FORMS:
        found.append(ord(TRADITIONAL_FORMS[chr(cp)]))
    return found


def everyday_kanji(big5_of):
    """Code points (Big5 forms) of the Joyo and Jinmeiyo kanji and of JIS X 0208 level 1."""
    lists = unihan.read_field("OtherMappings", "kJoyoKanji", "kJinmeiyoKanji")
    variants = unihan.read_field("Variants", "kTraditionalVariant", "kZVariant", "kSemanticVariant")
    paired = {}  # Jinmeiyo lists old forms as "year:U+xxxx"
    for cp, value in lists["kJinmeiyoKanji"].items():
        if ":" in value:
            other = int(value.split(":")[1][2:], 16)
            paired.setdefault(cp, []).append(other)
            paired.setdefault(other, []).append(cp)
    chosen = set()
    for cp in set(lists["kJoyoKanji"]) | set(lists["kJinmeiyoKanji"]):
        forms = [c for c in candidates_by_variants(cp, variants.values(), paired) if c in big5_of]
        if forms:
            chosen.add(forms[0])
    for cp, value in unihan.read_field("IRGSources", "kIRG_JSource")["kIRG_JSource"].items():
        level1 = any(s.startswith("J0-") and 0x30 <= int(s[3:5], 16) <= 0x4F for s in value.split())
        if level1 and cp in big5_of:
            chosen.add(cp)
    return chosen


def kana_big5(kana):
    """Big5 code of a kana as the program's code page holds it (iconv BIG5-HKSCS, lead byte C6 or C7)."""
    done = subprocess.run(["iconv", "-f", "UTF-8", "-t", "BIG5-HKSCS"], input=kana.encode("utf-8"),
                          capture_output=True, check=True)
    if len(done.stdout) != 2 or done.stdout[0] not in (0xC6, 0xC7):
        raise SystemExit("no Big5 kana code for %s" % kana)
    return done.stdout


def katakana(hiragana):
    return chr(ord(hiragana) + 0x60)


def table_lines():
    """The table's lines as Big5 bytes."""
    big5_of = {cp: code for code, cp in unihan.big5_codes().items() if unihan.is_big5_hanzi(code)}
    readings = unihan.read_field("Readings", "kJapaneseOn", "kJapaneseKun")
    groups = {kana: [] for kana, _ in SYLLABLES}
    for cp in sorted(everyday_kanji(big5_of), key=lambda c: big5_of[c]):
        reading = readings["kJapaneseOn"].get(cp) or readings["kJapaneseKun"].get(cp)
        kana = first_kana(reading.split()[0]) if reading else None
        if kana:
            groups[kana].append(bytes([big5_of[cp] >> 8, big5_of[cp] & 0xFF]))
    lines = []
    for kana, _ in SYLLABLES:
        kanji = groups[kana]
        for start in range(0, len(kanji), MAX_GROUP):
            lines += [kana_big5(kana) + kana_big5(katakana(kana)), b"".join(kanji[start:start + MAX_GROUP])]
    lines.append(SEPARATOR.encode("ascii"))
    for kana, romaji in SYLLABLES:
        lines.append(kana_big5(kana) + b" " + romaji.encode("ascii"))
        lines.append(kana_big5(katakana(kana)) + b" " + romaji.encode("ascii"))
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "japanese_table.txt")
    lines = table_lines()
    with open(out, "wb") as f:
        f.write(b"".join(line + b"\r\n" for line in lines))
    separator = lines.index(SEPARATOR.encode("ascii"))
    entries = sum(len(lines[i]) // 2 for i in range(1, separator, 2))
    print("%s: %d kanji entries in %d groups" % (out, entries, separator // 2))


if __name__ == "__main__":
    main()
