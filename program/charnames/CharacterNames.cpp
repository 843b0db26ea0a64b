#include "charnames/CharacterNames.h"

#include <algorithm>
#include <cstdint>

#include "charnames/CharacterTable.h"

namespace pelo::charnames {

namespace {

using namespace table;

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char16_t kDottedCircle = u'\u25CC';

void AppendHex4(std::string& text, char16_t unit)
{
    for (int shift = 12; shift >= 0; shift -= 4) {
        text.push_back(kHexDigits[(unit >> shift) & 0xF]);
    }
}

void AppendWord(std::string& name, unsigned word)
{
    if (!name.empty()) {
        name.push_back(' ');
    }
    for (const std::uint8_t* letter = kWordLetters + kWordStarts[word];; ++letter) {
        name.push_back(static_cast<char>(*letter & 0x7F));
        if (*letter & 0x80) {
            return;
        }
    }
}

// One word code at `code`; returns where the next code starts and the word, or the end of the
// name (no word).
const std::uint8_t* NextWord(const std::uint8_t* code, unsigned& word, bool& end)
{
    const unsigned lead = *code++;
    end = lead == 0;
    if (lead >= kFirstLead) {
        word = (kFirstLead - 1) + (lead - kFirstLead) * 256 + *code++;
    } else {
        word = lead - 1;
    }
    return code;
}

std::string StoredName(unsigned nameIndex)
{
    const std::uint8_t* code = kNameCodes + kNameCheckpoints[nameIndex / kNamesPerCheckpoint];
    unsigned word = 0;
    bool end = false;
    for (unsigned skip = nameIndex % kNamesPerCheckpoint; skip > 0;) {
        code = NextWord(code, word, end);
        skip -= end ? 1 : 0;
    }
    std::string name;
    for (code = NextWord(code, word, end); !end; code = NextWord(code, word, end)) {
        AppendWord(name, word);
    }
    return name;
}

std::string HangulSyllableName(char16_t first, char16_t unit)
{
    const unsigned index = unit - first;
    const unsigned perLeading = static_cast<unsigned>(kJamoVowelCount * kJamoTrailingCount);
    return std::string("HANGUL SYLLABLE ") + kJamoLeading[index / perLeading]
        + kJamoVowel[index % perLeading / kJamoTrailingCount] + kJamoTrailing[index % kJamoTrailingCount];
}

// The last entry of a table sorted by first code point that starts at or before the unit, or
// nullptr.
template <class Entry> const Entry* LastStartingBy(const Entry* entries, std::size_t count, char16_t unit)
{
    const Entry* after = std::upper_bound(
        entries, entries + count, unit, [](char16_t u, const Entry& entry) { return u < entry.first; });
    return after == entries ? nullptr : after - 1;
}

// The range of a sorted table that holds the unit, or nullptr.
template <class Range> const Range* RangeOf(const Range* ranges, std::size_t count, char16_t unit)
{
    const Range* range = LastStartingBy(ranges, count, unit);
    return range && unit <= range->last ? range : nullptr;
}

std::u16string CodePointText(char16_t unit)
{
    std::string hex;
    AppendHex4(hex, unit);
    return u"U+" + std::u16string(hex.begin(), hex.end());
}

} // namespace

std::string CharacterName(char16_t unit)
{
    if (const NameRun* run = LastStartingBy(kNameRuns, kNameRunCount, unit);
        run && unit - run->first < run->count) {
        return StoredName(run->firstName + static_cast<unsigned>(unit - run->first));
    }
    if (const DerivedRange* range = RangeOf(kDerivedRanges, kDerivedRangeCount, unit)) {
        if (range->rule == RangeRule::HangulSyllable) {
            return HangulSyllableName(range->first, unit);
        }
        std::string name = range->prefix;
        AppendHex4(name, unit);
        return name;
    }
    return {};
}

std::u16string DescribeCharacter(char16_t unit)
{
    const std::string name = CharacterName(unit);
    if (name.empty()) {
        return CodePointText(unit);
    }
    std::u16string text;
    const GlyphRange* glyph = RangeOf(kGlyphRanges, kGlyphRangeCount, unit);
    if (glyph && glyph->glyphClass == GlyphClass::Combining) {
        text = { kDottedCircle, unit, u' ' };
    } else if (!glyph) {
        text = { unit, u' ' };
    }
    return text + CodePointText(unit) + u' ' + std::u16string(name.begin(), name.end());
}

std::u16string DescribeKeyCharacters(char16_t tchar1, char16_t tchar2)
{
    return DescribeCharacter(tchar1) + u" / " + DescribeCharacter(tchar2);
}

} // namespace pelo::charnames
