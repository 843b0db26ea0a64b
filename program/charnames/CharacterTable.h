// The layout of the character name table that tools/make-character-table.py generates from the
// Unicode data file at build time. Names are lists of words, each word an index into a word list
// ordered by frequency, so that the common words take one byte; names that follow a rule
// (ideographs, Hangul syllables) are computed from ranges instead of stored.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelo::charnames::table {

// Code points first..first+count-1 of a run have the consecutive stored names from firstName on.
struct NameRun {
    char16_t first;
    std::uint16_t count;
    std::uint16_t firstName;
};

enum class RangeRule : std::uint8_t {
    HangulSyllable, // the standard algorithm over the jamo short names
    PrefixedCodePoint, // prefix, then the code point in four hexadecimal digits
};

struct DerivedRange {
    char16_t first;
    char16_t last;
    RangeRule rule;
    const char* prefix; // for PrefixedCodePoint: "CJK UNIFIED IDEOGRAPH-"
};

// How a named character is shown beside its name.
enum class GlyphClass : std::uint8_t {
    Combining, // drawn on U+25CC DOTTED CIRCLE, as it would combine with whatever came before
    Invisible, // format characters and separators: not drawn at all, they would upset the line
};

struct GlyphRange {
    char16_t first;
    char16_t last;
    GlyphClass glyphClass;
};

// Words: their letters one after another, the last letter of each with bit 7 set.
extern const std::uint8_t kWordLetters[];
extern const std::uint16_t kWordStarts[];
extern const std::size_t kWordCount;

// Names: each a list of word codes ended by 0. Code c in 1..kFirstLead-1 is word c-1; a lead
// byte c >= kFirstLead and the byte after it are word kFirstLead-1 + (c-kFirstLead)*256 + next.
extern const unsigned kFirstLead;
extern const std::uint8_t kNameCodes[];
// Where in kNameCodes name i*kNamesPerCheckpoint starts.
extern const std::uint32_t kNameCheckpoints[];
extern const unsigned kNamesPerCheckpoint;

// Sorted by first code point, not overlapping.
extern const NameRun kNameRuns[];
extern const std::size_t kNameRunCount;
extern const DerivedRange kDerivedRanges[];
extern const std::size_t kDerivedRangeCount;
extern const GlyphRange kGlyphRanges[];
extern const std::size_t kGlyphRangeCount;

// Short names of the conjoining jamo that make up a Hangul syllable's name; the first trailing
// one is empty (no trailing consonant).
extern const char* const kJamoLeading[];
extern const std::size_t kJamoLeadingCount;
extern const char* const kJamoVowel[];
extern const std::size_t kJamoVowelCount;
extern const char* const kJamoTrailing[];
extern const std::size_t kJamoTrailingCount;

} // namespace pelo::charnames::table
