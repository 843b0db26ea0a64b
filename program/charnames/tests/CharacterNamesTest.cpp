// The compressed name table read back against the Unicode data file it was generated from, the
// names computed by rule, and the lines shown for a character and for a key.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "charnames/CharacterNames.h"
#include "scheme/KeyMapCodec.h"

using pelo::charnames::CharacterName;
using pelo::charnames::DescribeCharacter;
using pelo::charnames::DescribeKeyCharacters;

namespace {

constexpr unsigned kPlaneSize = 0x10000;

// What UnicodeData.txt says of one code point of the plane.
struct Entry {
    enum Kind { Unlisted, Named, Control, UnifiedIdeograph, HangulSyllable, Unnamed } kind = Unlisted;
    std::string name;
    std::string category;
};

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ';');) {
        fields.push_back(field);
    }
    return fields;
}

Entry::Kind RangeKind(const std::string& label)
{
    if (label.rfind("<CJK Ideograph", 0) == 0) {
        return Entry::UnifiedIdeograph;
    }
    if (label.rfind("<Hangul Syllable", 0) == 0) {
        return Entry::HangulSyllable;
    }
    return Entry::Unnamed; // private use and surrogates
}

// Every code point of the plane as the file describes it; empty when the file cannot be read.
std::vector<Entry> ReadPlane()
{
    std::ifstream file(PELO_UNICODE_DATA);
    std::vector<Entry> plane;
    if (!file) {
        return plane;
    }
    plane.resize(kPlaneSize);
    unsigned rangeFirst = 0;
    for (std::string line; std::getline(file, line);) {
        const std::vector<std::string> fields = Fields(line);
        const unsigned long code = std::stoul(fields.at(0), nullptr, 16);
        if (code >= kPlaneSize) {
            break;
        }
        Entry& entry = plane[code];
        entry.name = fields.at(1);
        entry.category = fields.at(2);
        if (entry.name == "<control>") {
            entry.kind = Entry::Control;
        } else if (entry.name.find(", First>") != std::string::npos) {
            rangeFirst = static_cast<unsigned>(code);
        } else if (entry.name.find(", Last>") != std::string::npos) {
            for (unsigned inside = rangeFirst; inside <= code; ++inside) {
                plane[inside].kind = RangeKind(entry.name);
                plane[inside].category = entry.category;
            }
        } else {
            entry.kind = Entry::Named;
        }
    }
    return plane;
}

std::string Hex4(unsigned code)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", code);
    return text;
}

} // namespace

TEST(CharacterNames, EveryCodePointOfPlane_NamedAsDataFileSays_ThroughCompressedTable)
{
    const std::vector<Entry> plane = ReadPlane();
    ASSERT_EQ(plane.size(), kPlaneSize) << "cannot read " << PELO_UNICODE_DATA;
    unsigned named = 0, ideographs = 0, unnamed = 0, wrong = 0;
    std::set<std::string> hangul;
    for (unsigned code = 0; code < kPlaneSize; ++code) {
        const Entry& entry = plane[code];
        const std::string name = CharacterName(static_cast<char16_t>(code));
        std::string expected;
        switch (entry.kind) {
        case Entry::Named:
            expected = entry.name;
            ++named;
            break;
        case Entry::UnifiedIdeograph:
            expected = "CJK UNIFIED IDEOGRAPH-" + Hex4(code);
            ++ideographs;
            break;
        case Entry::HangulSyllable:
            // The rule's own examples are checked below; here each syllable has a name of its own.
            expected = name.rfind("HANGUL SYLLABLE ", 0) == 0 && hangul.insert(name).second ? name : "(new)";
            break;
        default:
            ++unnamed;
            break;
        }
        if (name != expected && ++wrong <= 20) {
            ADD_FAILURE() << "U+" << Hex4(code) << ": \"" << name << "\", expected \"" << expected << '"';
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(named, 16000u);
    EXPECT_EQ(ideographs, 0x4DBFu - 0x3400u + 1 + 0x9FFFu - 0x4E00u + 1);
    EXPECT_EQ(hangul.size(), 19u * 21u * 28u);
    EXPECT_GT(unnamed, 6400u + 2048u); // at least private use and surrogates
}

TEST(CharacterNames, DescribedCharacter_GlyphShownAsItsCategoryAllows_ForEveryNamedOne)
{
    const std::vector<Entry> plane = ReadPlane();
    ASSERT_EQ(plane.size(), kPlaneSize) << "cannot read " << PELO_UNICODE_DATA;
    unsigned wrong = 0, combining = 0, invisible = 0;
    for (unsigned code = 0; code < kPlaneSize; ++code) {
        const auto unit = static_cast<char16_t>(code);
        const std::string name = CharacterName(unit);
        if (name.empty()) {
            continue;
        }
        const std::string& category = plane[code].category;
        std::u16string glyph;
        if (category == "Mn" || category == "Mc" || category == "Me") {
            glyph = { u'\u25CC', unit, u' ' };
            ++combining;
        } else if (category == "Cf" || category == "Zl" || category == "Zp") {
            ++invisible;
        } else {
            glyph = { unit, u' ' };
        }
        const std::string tail = "U+" + Hex4(code) + ' ' + name;
        if (DescribeCharacter(unit) != glyph + std::u16string(tail.begin(), tail.end()) && ++wrong <= 20) {
            ADD_FAILURE() << "U+" << Hex4(code) << " (" << category << ") described wrongly";
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(combining, 1000u);
    EXPECT_GT(invisible, 40u);
}

TEST(CharacterNames, UnifiedAndCompatibilityIdeographs_NamedByCodePoint_AtRangeEndsAndInside)
{
    EXPECT_EQ(CharacterName(0x3400), "CJK UNIFIED IDEOGRAPH-3400");
    EXPECT_EQ(CharacterName(0x4DBF), "CJK UNIFIED IDEOGRAPH-4DBF");
    EXPECT_EQ(CharacterName(0x4E00), "CJK UNIFIED IDEOGRAPH-4E00");
    EXPECT_EQ(CharacterName(0x6F22), "CJK UNIFIED IDEOGRAPH-6F22");
    EXPECT_EQ(CharacterName(0x9FFF), "CJK UNIFIED IDEOGRAPH-9FFF");
    EXPECT_EQ(CharacterName(0xF900), "CJK COMPATIBILITY IDEOGRAPH-F900");
    EXPECT_EQ(CharacterName(0xFA6D), "CJK COMPATIBILITY IDEOGRAPH-FA6D");
    EXPECT_EQ(CharacterName(0xFA70), "CJK COMPATIBILITY IDEOGRAPH-FA70");
    EXPECT_EQ(CharacterName(0xFAD9), "CJK COMPATIBILITY IDEOGRAPH-FAD9");
    EXPECT_EQ(CharacterName(0x4DC0), "HEXAGRAM FOR THE CREATIVE HEAVEN"); // just after Extension A
    EXPECT_EQ(CharacterName(0xFA6E), ""); // between the two compatibility blocks
}

TEST(CharacterNames, HangulSyllables_NamedFromTheirJamo_AsTheStandardsExamples)
{
    EXPECT_EQ(CharacterName(0xAC00), "HANGUL SYLLABLE GA");
    EXPECT_EQ(CharacterName(0xAC01), "HANGUL SYLLABLE GAG");
    EXPECT_EQ(CharacterName(0xD4DB), "HANGUL SYLLABLE PWILH");
    EXPECT_EQ(CharacterName(0xD55C), "HANGUL SYLLABLE HAN");
    EXPECT_EQ(CharacterName(0xAD6D), "HANGUL SYLLABLE GUG");
    EXPECT_EQ(CharacterName(0xC5B4), "HANGUL SYLLABLE EO");
    EXPECT_EQ(CharacterName(0xD7A3), "HANGUL SYLLABLE HIH");
    EXPECT_EQ(CharacterName(0xABFF), "");
    EXPECT_EQ(CharacterName(0xD7A4), "");
}

TEST(CharacterNames, StoredNames_KeepHyphensAndLongestName_AtTheirWordBoundaries)
{
    EXPECT_EQ(CharacterName(0x0020), "SPACE");
    EXPECT_EQ(CharacterName(0x03B1), "GREEK SMALL LETTER ALPHA");
    EXPECT_EQ(CharacterName(0x2160), "ROMAN NUMERAL ONE");
    EXPECT_EQ(CharacterName(0x0F60), "TIBETAN LETTER -A");
    EXPECT_EQ(CharacterName(0x116C), "HANGUL JUNGSEONG OE");
    EXPECT_EQ(CharacterName(0x1180), "HANGUL JUNGSEONG O-E");
    EXPECT_EQ(CharacterName(0xFBF9),
        "ARABIC LIGATURE UIGHUR KIRGHIZ YEH WITH HAMZA ABOVE WITH ALEF MAKSURA ISOLATED FORM");
    EXPECT_EQ(CharacterName(0xFFFD), "REPLACEMENT CHARACTER");
}

TEST(CharacterNames, ControlsUnassignedPrivateUseSurrogatesNoncharacters_HaveNoName)
{
    for (const char16_t unit :
        { 0x0000, 0x0009, 0x001F, 0x007F, 0x0080, 0x0085, 0x009F, 0x0378, 0x0530, 0xD800, 0xDB7F, 0xDB80,
            0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xF000, 0xF8FF, 0xFDD0, 0xFDEF, 0xFFFE, 0xFFFF }) {
        EXPECT_EQ(CharacterName(unit), "") << "U+" << Hex4(unit);
    }
}

TEST(CharacterNames, DescribeCharacter_GlyphCodePointAndName_CodePointAloneWithoutName)
{
    EXPECT_EQ(DescribeCharacter(0x03B1), u"\u03B1 U+03B1 GREEK SMALL LETTER ALPHA");
    EXPECT_EQ(DescribeCharacter(0xAC00), u"\uAC00 U+AC00 HANGUL SYLLABLE GA");
    EXPECT_EQ(DescribeCharacter(0xE000), u"U+E000");
    EXPECT_EQ(DescribeCharacter(0x0000), u"U+0000");
    EXPECT_EQ(DescribeCharacter(0x000A), u"U+000A");
    EXPECT_EQ(DescribeCharacter(0xD800), u"U+D800");
    EXPECT_EQ(DescribeCharacter(0x0301), u"\u25CC\u0301 U+0301 COMBINING ACUTE ACCENT");
    EXPECT_EQ(DescribeCharacter(0x202E), u"U+202E RIGHT-TO-LEFT OVERRIDE");
}

TEST(CharacterNames, DescribeKeyCharacters_BothCharactersDividedBySlash)
{
    EXPECT_EQ(DescribeKeyCharacters(0x03B1, 0x0391),
        u"\u03B1 U+03B1 GREEK SMALL LETTER ALPHA / \u0391 U+0391 GREEK CAPITAL LETTER ALPHA");
    EXPECT_EQ(DescribeKeyCharacters(0x2160, 0x4E00),
        u"\u2160 U+2160 ROMAN NUMERAL ONE / \u4E00 U+4E00 CJK UNIFIED IDEOGRAPH-4E00");
    EXPECT_EQ(DescribeKeyCharacters(0xF8FF, 0x0000), u"U+F8FF / U+0000");
}

TEST(CharacterNames, DefaultScheme_EveryCharacterHasAName)
{
    for (int key = 0; key < KEY_COUNT; ++key) {
        EXPECT_NE(CharacterName(pelo::scheme::kDefaultKeyTable[key].tchar1), "") << "key " << key;
        EXPECT_NE(CharacterName(pelo::scheme::kDefaultKeyTable[key].tchar2), "") << "key " << key;
    }
}
