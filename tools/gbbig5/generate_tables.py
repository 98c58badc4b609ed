#!/usr/bin/env python3
"""Writes runtime/ChineseGbBig5Tables.cpp, the two GB2312 <-> Big5 tables.

Run by hand after changing a rule here; the build only compiles the output.
Python 3 standard library plus Debian's opencc (opencc_dict), libopencc1.1
(the .ocd2 dictionaries) and unicode-data (Unihan).

Code points of the codes: Python's 'gbk' and 'cp950' codecs, i.e. the code
pages 936 and 950 that the converter splits its input by, restricted to
GB2312's own 7445 characters and to Big5 without its user-defined rows
C6A1..C8FE (Python fills those with ETEN kana that no code page 950 has). The
ideographs are checked against Unihan's kGB0 and kBigFive before anything is
written.

Rules, first match wins:
  GB -> Big5, ideograph: OpenCC STCharacters candidates in order, each as its
    Taiwan form (TWVariants) before itself, since Big5 is the Taiwan set (what
    s2tw does to a single character); then the character itself, so 后 and 台
    become 後 and 臺 although Big5 has them too; then Unihan
    kTraditionalVariant; then a character that TSCharacters simplifies to it.
  Big5 -> GB, ideograph: the character itself (GB2312 keeps a few traditional
    forms such as 後); then OpenCC TSCharacters candidates, also after undoing
    a Taiwan form (TWVariantsRev); then Unihan kSimplifiedVariant; then a
    character that STCharacters makes it from.
  Symbols, either way: the same character; else the other set's first code
    whose character has the same plain form (fold(): full-width, half-width,
    small and vertical forms, not enclosed ones, so ① finds no １); else the
    short NEAREST list below.
  Both ideographic spaces, and everything else, get 0x2020 (no counterpart).
"""

import argparse
import bz2
import os
import subprocess
import sys
import tempfile
import unicodedata

BLANK = 0x2020
GB_ROWS, GB_COLS = 87, 94
BIG5_ROWS, BIG5_COLS = 94, 157

# Look-alikes that fold() does not join; each pair is used in both directions.
NEAREST = [
    ("\u2264", "\u2266"),  # ≤ ≦
    ("\u2265", "\u2267"),  # ≥ ≧
    ("\u2248", "\u2252"),  # ≈ ≒
    ("\u2016", "\u2225"),  # ‖ ∥
    ("\u00b7", "\u2027"),  # · ‧
    ("\uff0f", "\u2215"),  # ／ ∕ (code page 950's A241 is the full-width solidus)
    ("\uff5c", "\u2223"),  # ｜ ∣
]


def gb_code(index):
    return (0xA1 + index // GB_COLS) << 8 | (0xA1 + index % GB_COLS)


def big5_code(index):
    col = index % BIG5_COLS
    trail = 0x40 + col if col < 63 else 0xA1 + col - 63
    return (0xA1 + index // BIG5_COLS) << 8 | trail


def gb_index(code):
    return ((code >> 8) - 0xA1) * GB_COLS + (code & 0xFF) - 0xA1


def big5_index(code):
    trail = code & 0xFF
    col = trail - 0x40 if trail < 0x7F else trail - 0xA1 + 63
    return ((code >> 8) - 0xA1) * BIG5_COLS + col


def decode(code, codec):
    try:
        text = code.to_bytes(2, "big").decode(codec)
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def gb_characters():
    """GB2312 code -> character, with code page 936's code points."""
    chars = {}
    for index in range(GB_ROWS * GB_COLS):
        code = gb_code(index)
        if decode(code, "gb2312") is not None:
            chars[code] = decode(code, "gbk")
    return chars


def big5_characters():
    """Big5 code -> character, with code page 950's code points."""
    chars = {}
    for index in range(BIG5_ROWS * BIG5_COLS):
        code = big5_code(index)
        if 0xC6A1 <= code <= 0xC8FE:
            continue
        char = decode(code, "cp950")
        if char is not None and unicodedata.category(char) != "Co":
            chars[code] = char
    return chars


def encoder(chars, codec):
    """Character -> code; the codec's own choice where a character has two
    codes (Big5 has 十 and 卅 among the symbols as well)."""
    codes = {}
    for code, char in chars.items():
        codes.setdefault(char, code)
    for char in codes:
        preferred = int.from_bytes(char.encode(codec), "big")
        if chars.get(preferred) == char:
            codes[char] = preferred
    return codes


def is_ideograph(char):
    return unicodedata.name(char, "").startswith("CJK UNIFIED IDEOGRAPH")


def read_opencc(opencc_dir, temp_dir, name):
    text = os.path.join(temp_dir, name + ".txt")
    subprocess.run(
        ["opencc_dict", "-i", os.path.join(opencc_dir, name + ".ocd2"), "-o", text,
         "-f", "ocd2", "-t", "text"],
        check=True, stdout=subprocess.DEVNULL)
    table = {}
    with open(text, encoding="utf-8") as lines:
        for line in lines:
            key, values = line.rstrip("\n").split("\t")
            table[key] = values.split(" ")
    return table


def read_unihan(path, fields):
    table = {field: {} for field in fields}
    with bz2.open(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("#") or not line.strip():
                continue
            point, field, value = line.rstrip("\n").split("\t")
            if field in table:
                table[field][chr(int(point[2:], 16))] = value
    return table


def check_codes(gb, big5, other):
    """Fails when an ideograph's code disagrees with Unihan."""
    errors = []
    for code, char in gb.items():
        value = other["kGB0"].get(char)
        if is_ideograph(char) and value is not None:
            expected = (int(value[:2]) + 0xA0) << 8 | (int(value[2:]) + 0xA0)
            if expected != code:
                errors.append(f"GB {code:04X} {char} vs kGB0 {value}")
    for code, char in big5.items():
        value = other["kBigFive"].get(char)
        if is_ideograph(char) and value is not None and int(value, 16) != code:
            if not 0xA2CC <= code <= 0xA2CE:  # the duplicated numerals
                errors.append(f"Big5 {code:04X} {char} vs kBigFive {value}")
    if errors:
        sys.exit("code points disagree with Unihan:\n" + "\n".join(errors))


def variants(value):
    """Characters of a Unihan variant field ("U+5F8C U+540E<kLau")."""
    return [chr(int(item.split("<")[0][2:], 16)) for item in value.split()] if value else []


def fold(char):
    """The plain form behind a full-width, half-width, small, vertical or other
    one-character compatibility form; enclosed and other decorated forms, and
    those of several characters, stay themselves."""
    tag, _, rest = unicodedata.decomposition(char).partition(" ")
    if tag in ("<wide>", "<narrow>", "<small>", "<vertical>", "<compat>") and " " not in rest:
        return fold(chr(int(rest, 16)))
    return char


def first_in(candidates, codes):
    for char in candidates:
        if char in codes:
            return codes[char]
    return None


def build(gb, big5, st, ts, tw, tw_rev, unihan):
    gb_codes = encoder(gb, "gbk")
    big5_codes = encoder(big5, "cp950")

    def fold_index(codes):
        index = {}
        for char, code in sorted(codes.items(), key=lambda item: item[1]):
            index.setdefault(fold(char), code)
        return index

    gb_folded, big5_folded = fold_index(gb_codes), fold_index(big5_codes)
    near_gb = {b: g for g, b in NEAREST}
    near_big5 = dict(NEAREST)

    def symbol(char, codes, folded, nearest):
        if char in codes:
            return codes[char]
        found = folded.get(fold(char))
        if found is None and char in nearest:
            found = codes.get(nearest[char])
        return found

    def inverse(table):
        # A key whose earlier candidate the form is comes first.
        result = {}
        for key, forms in table.items():
            for rank, form in enumerate(forms):
                result.setdefault(form, []).append((rank, key))
        return {form: [key for _, key in sorted(keys)] for form, keys in result.items()}

    st_inverse, ts_inverse = inverse(st), inverse(ts)

    def to_big5(char):
        if not is_ideograph(char):
            return symbol(char, big5_codes, big5_folded, near_big5)
        candidates = []
        for form in st.get(char, []):
            candidates += tw.get(form, []) + [form]
        candidates.append(char)
        candidates += variants(unihan["kTraditionalVariant"].get(char))
        candidates += ts_inverse.get(char, [])
        return first_in(candidates, big5_codes)

    def to_gb(char):
        # Code page 950 gives Big5's two duplicate ideographs (C94A, DDFC)
        # compatibility code points; their canonical forms are ordinary.
        char = unicodedata.normalize("NFC", char)
        if not is_ideograph(char):
            return symbol(char, gb_codes, gb_folded, near_gb)
        candidates = [char] + ts.get(char, [])
        for form in tw_rev.get(char, []):
            candidates += [form] + ts.get(form, [])
        candidates += variants(unihan["kSimplifiedVariant"].get(char))
        candidates += st_inverse.get(char, [])
        return first_in(candidates, gb_codes)

    gb_to_big5 = [BLANK] * (GB_ROWS * GB_COLS)
    for code, char in gb.items():
        if char != "\u3000":
            gb_to_big5[gb_index(code)] = to_big5(char) or BLANK
    big5_to_gb = [BLANK] * (BIG5_ROWS * BIG5_COLS)
    for code, char in big5.items():
        if char != "\u3000":
            big5_to_gb[big5_index(code)] = to_gb(char) or BLANK
    return gb_to_big5, big5_to_gb


# The rows a reader of the output would check first; a rule change that moves
# one of them is a mistake.
TELLING_GB = {0xA1A1: BLANK, 0xA1A2: 0xA142, 0xB9FA: 0xB0EA, 0xBAF3: 0xABE1, 0xCCA8: 0xBB4F}
TELLING_BIG5 = {0xA140: BLANK, 0xA141: 0xA3AC, 0xABE1: 0xE1E1, 0xB0EA: 0xB9FA, 0xB752: 0xB0AE}


def check_and_report(gb, gb_to_big5, big5_to_gb):
    for code, want in TELLING_GB.items():
        got = gb_to_big5[gb_index(code)]
        if got != want:
            sys.exit(f"GB {code:04X} gives {got:04X}, not {want:04X}")
    for code, want in TELLING_BIG5.items():
        got = big5_to_gb[big5_index(code)]
        if got != want:
            sys.exit(f"Big5 {code:04X} gives {got:04X}, not {want:04X}")
    mapped = [code for code in gb if gb_to_big5[gb_index(code)] != BLANK]
    back = sum(1 for code in mapped
               if big5_to_gb[big5_index(gb_to_big5[gb_index(code)])] == code)
    print(f"GbToBig5Table: {gb_to_big5.count(BLANK)} of {len(gb_to_big5)} entries 0x2020")
    print(f"Big5ToGbTable: {big5_to_gb.count(BLANK)} of {len(big5_to_gb)} entries 0x2020")
    print(f"GB -> Big5 -> GB: {back} of {len(mapped)} codes with a counterpart come back")


def write_table(out, name, entries, cols, code_of):
    out.write(f"const uint16_t {name}[{len(entries)}] = {{\n")
    for row in range(len(entries) // cols):
        out.write(f"    // {code_of(row * cols) >> 8:02X}\n")
        cells = entries[row * cols:(row + 1) * cols]
        for start in range(0, cols, 16):
            out.write("    " + " ".join(f"0x{v:04X}," for v in cells[start:start + 16]) + "\n")
    out.write("};\n")


def write_source(path, gb_to_big5, big5_to_gb):
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("// Generated by tools/gbbig5/generate_tables.py; do not edit, run the script.\n")
        out.write("// One row per lead byte; 0x2020 marks a code without counterpart.\n")
        out.write("// clang-format off\n")
        out.write('#include "runtime/ChineseGbBig5.h"\n\nnamespace lex {\n\n')
        write_table(out, "GbToBig5Table", gb_to_big5, GB_COLS, gb_code)
        out.write("\n")
        write_table(out, "Big5ToGbTable", big5_to_gb, BIG5_COLS, big5_code)
        out.write("\n} // namespace lex\n")


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(root, "runtime", "ChineseGbBig5Tables.cpp"))
    parser.add_argument("--opencc-dir", default="/usr/share/opencc")
    parser.add_argument("--unihan-dir", default="/usr/share/unicode")
    args = parser.parse_args()

    gb, big5 = gb_characters(), big5_characters()
    check_codes(gb, big5, read_unihan(os.path.join(args.unihan_dir, "Unihan_OtherMappings.txt.bz2"),
                                      ["kGB0", "kBigFive"]))
    unihan = read_unihan(os.path.join(args.unihan_dir, "Unihan_Variants.txt.bz2"),
                         ["kTraditionalVariant", "kSimplifiedVariant"])
    with tempfile.TemporaryDirectory() as temp_dir:
        st, ts, tw, tw_rev = (read_opencc(args.opencc_dir, temp_dir, name) for name in
                              ("STCharacters", "TSCharacters", "TWVariants", "TWVariantsRev"))
    gb_to_big5, big5_to_gb = build(gb, big5, st, ts, tw, tw_rev, unihan)
    check_and_report(gb, gb_to_big5, big5_to_gb)
    write_source(args.output, gb_to_big5, big5_to_gb)


if __name__ == "__main__":
    main()
