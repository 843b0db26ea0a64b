#!/usr/bin/env python3
"""Writes the character name table of the Basic Multilingual Plane as a C++ source file.

Usage: make-character-table.py UnicodeData.txt Jamo.txt OUTPUT.cpp

The layout is described in program/charnames/CharacterTable.h. Ranges that the data file gives as
<..., First>/<..., Last> pairs, and names that are a prefix followed by their own code point, are
written as rules; every other name is stored as a list of word codes. The same input gives the
same output.
"""

import collections
import os
import re
import sys

PLANE_END = 0x10000
CHECKPOINT_EVERY = 32

# Labels of First/Last ranges and the rule that names their characters; None: no names.
RANGE_RULES = [
    ("CJK Ideograph", ("prefix", "CJK UNIFIED IDEOGRAPH-")),
    ("Tangut Ideograph", ("prefix", "TANGUT IDEOGRAPH-")),
    ("Hangul Syllable", ("hangul", None)),
    ("Private Use", None),
    ("Non Private Use High Surrogate", None),
    ("Private Use High Surrogate", None),
    ("Low Surrogate", None),
]
# Names that end in their own code point are computed from these prefixes.
DERIVED_PREFIXES = ["CJK COMPATIBILITY IDEOGRAPH-"]
COMBINING = {"Mn", "Mc", "Me"}
INVISIBLE = {"Cf", "Zl", "Zp"}
NAME_PATTERN = re.compile(r"[A-Z0-9-]+(?: [A-Z0-9-]+)*")


def fail(message):
    sys.exit("make-character-table.py: " + message)


def range_rule(label):
    for prefix, rule in RANGE_RULES:
        if label == prefix or label.startswith(prefix + " Extension") or label.startswith(prefix + " Supplement"):
            return rule
    fail("no rule for the range <%s>" % label)


def read_unicode_data(path):
    """Stored names, derived ranges and glyph classes of the plane's characters."""
    names = {}
    derived = []  # [first, last, rule, prefix]
    glyphs = {}
    open_range = None
    with open(path, encoding="utf-8") as data:
        for line in data:
            fields = line.rstrip("\n").split(";")
            if len(fields) < 3:
                continue
            code = int(fields[0], 16)
            name, category = fields[1], fields[2]
            if code >= PLANE_END:
                break
            if category in COMBINING:
                glyphs[code] = "Combining"
            elif category in INVISIBLE:
                glyphs[code] = "Invisible"
            if name.startswith("<"):
                label = name[1:-1]
                if label.endswith(", First"):
                    open_range = (code, label[: -len(", First")])
                elif label.endswith(", Last"):
                    if not open_range or open_range[1] != label[: -len(", Last")]:
                        fail("range end without its start at %04X" % code)
                    rule = range_rule(open_range[1])
                    if rule:
                        derived.append([open_range[0], code, rule[0], rule[1]])
                    open_range = None
                elif label != "control":
                    fail("unknown label <%s> at %04X" % (label, code))
                continue
            if not NAME_PATTERN.fullmatch(name):
                fail("unexpected characters in the name of %04X: %s" % (code, name))
            prefix = next((p for p in DERIVED_PREFIXES if name == "%s%04X" % (p, code)), None)
            if prefix:
                last = derived[-1] if derived else None
                if last and last[2] == "prefix" and last[3] == prefix and last[1] == code - 1:
                    last[1] = code
                else:
                    derived.append([code, code, "prefix", prefix])
                continue
            names[code] = name
    derived.sort()
    return names, derived, glyphs


def read_jamo(path):
    leading, vowel, trailing = [], [], [""]
    with open(path, encoding="utf-8") as data:
        for line in data:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            code, short = (field.strip() for field in line.split(";"))
            code = int(code, 16)
            if 0x1100 <= code <= 0x1112:
                leading.append(short)
            elif 0x1161 <= code <= 0x1175:
                vowel.append(short)
            elif 0x11A8 <= code <= 0x11C2:
                trailing.append(short)
    if (len(leading), len(vowel), len(trailing)) != (19, 21, 28):
        fail("the jamo file does not have 19 leading, 21 vowel and 27 trailing jamo")
    return leading, vowel, trailing


def encode_names(names):
    """Word list (most frequent first), code bytes, first lead byte and checkpoints."""
    frequency = collections.Counter(word for name in names.values() for word in name.split(" "))
    words = sorted(frequency, key=lambda word: (-frequency[word], word))
    # Fewest lead bytes that reach every word: the rest of the byte values are one-byte codes.
    leads = 1
    while (256 - leads - 1) + leads * 256 < len(words):
        leads += 1
    first_lead = 256 - leads
    index = {word: i for i, word in enumerate(words)}
    codes = bytearray()
    checkpoints = []
    for count, code in enumerate(sorted(names)):
        if count % CHECKPOINT_EVERY == 0:
            checkpoints.append(len(codes))
        for word in names[code].split(" "):
            i = index[word]
            if i < first_lead - 1:
                codes.append(i + 1)
            else:
                i -= first_lead - 1
                codes += bytes((first_lead + i // 256, i % 256))
        codes.append(0)
    return words, codes, first_lead, checkpoints


def runs_of(codes):
    runs = []
    for position, code in enumerate(sorted(codes)):
        if runs and runs[-1][0] + runs[-1][1] == code:
            runs[-1][1] += 1
        else:
            runs.append([code, 1, position])
    return runs


def glyph_ranges(glyphs):
    ranges = []
    for code in sorted(glyphs):
        if ranges and ranges[-1][1] == code - 1 and ranges[-1][2] == glyphs[code]:
            ranges[-1][1] = code
        else:
            ranges.append([code, code, glyphs[code]])
    return ranges


def rows(items, per_line):
    items = list(items)
    return "\n".join("    " + " ".join(items[i : i + per_line]) for i in range(0, len(items), per_line))


def write_source(names, derived, glyphs, jamo):
    words, codes, first_lead, checkpoints = encode_names(names)
    letters = bytearray()
    starts = []
    for word in words:
        starts.append(len(letters))
        letters += word.encode("ascii")
        letters[-1] |= 0x80
    if len(letters) >= 0x10000 or len(names) >= 0x10000:
        fail("the table outgrows its 16-bit offsets")
    out = [
        "// Generated by program/charnames/tools/make-character-table.py from the Unicode data file.",
        "// %d stored names in %d words; %d bytes of word codes." % (len(names), len(words), len(codes)),
        '#include "charnames/CharacterTable.h"',
        "",
        "namespace pelo::charnames::table {",
        "",
        "const std::uint8_t kWordLetters[] = {",
        rows(("0x%02X," % b for b in letters), 16),
        "};",
        "const std::uint16_t kWordStarts[] = {",
        rows(("%d," % s for s in starts), 12),
        "};",
        "const std::size_t kWordCount = %d;" % len(words),
        "",
        "const unsigned kFirstLead = %d;" % first_lead,
        "const std::uint8_t kNameCodes[] = {",
        rows(("%d," % b for b in codes), 24),
        "};",
        "const std::uint32_t kNameCheckpoints[] = {",
        rows(("%d," % c for c in checkpoints), 12),
        "};",
        "const unsigned kNamesPerCheckpoint = %d;" % CHECKPOINT_EVERY,
        "",
        "const NameRun kNameRuns[] = {",
        rows(("{ 0x%04X, %d, %d }," % tuple(run) for run in runs_of(names)), 4),
        "};",
        "const std::size_t kNameRunCount = sizeof kNameRuns / sizeof kNameRuns[0];",
        "",
        "const DerivedRange kDerivedRanges[] = {",
    ]
    for first, last, rule, prefix in derived:
        if rule == "hangul":
            out.append("    { 0x%04X, 0x%04X, RangeRule::HangulSyllable, nullptr }," % (first, last))
        else:
            out.append('    { 0x%04X, 0x%04X, RangeRule::PrefixedCodePoint, "%s" },' % (first, last, prefix))
    out += [
        "};",
        "const std::size_t kDerivedRangeCount = sizeof kDerivedRanges / sizeof kDerivedRanges[0];",
        "",
        "const GlyphRange kGlyphRanges[] = {",
        rows(("{ 0x%04X, 0x%04X, GlyphClass::%s }," % tuple(r) for r in glyph_ranges(glyphs)), 3),
        "};",
        "const std::size_t kGlyphRangeCount = sizeof kGlyphRanges / sizeof kGlyphRanges[0];",
        "",
    ]
    for array, values in zip(("kJamoLeading", "kJamoVowel", "kJamoTrailing"), jamo):
        out += [
            "const char* const %s[] = {" % array,
            rows(('"%s",' % v for v in values), 10),
            "};",
            "const std::size_t %sCount = %d;" % (array, len(values)),
        ]
    out += ["", "} // namespace pelo::charnames::table", ""]
    return "\n".join(out)


def main():
    if len(sys.argv) != 4:
        fail("usage: make-character-table.py UnicodeData.txt Jamo.txt OUTPUT.cpp")
    names, derived, glyphs = read_unicode_data(sys.argv[1])
    source = write_source(names, derived, glyphs, read_jamo(sys.argv[2]))
    output = sys.argv[3]
    with open(output + ".tmp", "w", encoding="ascii") as generated:
        generated.write(source)
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    main()
