// The key-map file format without any file system: the default scheme, the scheme name rules,
// the bytes a save writes, and the decoders for a whole load and for the name-only read.
//
// A key-map file is UTF-16LE without byte-order mark or terminator: the name (0 to 20 units),
// U+000A, then one line per key index "tchar1 , tchar2 ; U+000A" (five units each).
#pragma once

#include <cstddef>
#include <cstdint>

#include "scheme/KeyMapFangAn.h"

namespace pelo::scheme {

constexpr char16_t kLineFeed = 0x000A;
constexpr size_t kEntryUnits = 5;
constexpr size_t kEntriesBytes = 2 * kEntryUnits * KEY_COUNT; // 360
constexpr size_t kMaxFileBytes = 2 * (FANGAN_NAME_UNITS + 1) + kEntriesBytes; // 402

// Digits: Roman numerals and Chinese numerals; letters: Greek small and capital letters, then
// three symbols.
extern const KeyTCharPair kDefaultKeyTable[KEY_COUNT];

// A name buffer as the record holds it: 20 units of text and a zero that is never written.
using NameBuffer = char16_t[FANGAN_NAME_UNITS + 1];

// Units of the name that a save writes: up to the terminator, at most 20, and never past a
// U+000A (readers end the name there, so writing it would shift every entry of the file).
size_t StoredNameLength(const char16_t* name);

// Copies at most 20 units of src and zero-fills the rest of the 20; dest[20] is not written.
// A null src gives an empty name.
void CopyNameIn(NameBuffer& dest, const char16_t* src);
// Copies at most 20 units of the name; a shorter name is followed by zeros up to the 20th unit;
// dest[20] is not written.
void CopyNameOut(const char16_t* src, char16_t* dest);

// Writes the file's bytes to out (room for kMaxFileBytes) and returns their count,
// 2 * StoredNameLength(name) + 362.
size_t EncodeKeyMapFile(const char16_t* name, const KeyTCharPair* table, uint8_t* out);

// The name a scheme gets when its file is missing: "方案" and one character taken from the
// file name: a slot digit becomes its Chinese numeral ("1.kmf" gives "方案一"), any other
// printable character of the file name's stem is taken as it is. Always zero-terminated.
void DefaultSchemeName(const char16_t* path, NameBuffer& name);

// Reads a key-map file from consecutive chunks of its bytes; chunks may split a unit.
//
// Whole mode (a load): the name line ends at U+000A or after 20 units, the rest of a longer
// name line is skipped; then the entries, each character taken by position, the separators
// skipped without being compared. An entry character whose unit lies beyond the end of the
// data keeps the table's previous value. The name ends with the units read.
//
// NameOnly mode: the units up to a U+000A or the 20th unit, whichever comes first, nothing else.
// It succeeds only if one of those was reached before the end of the data.
//
// Either way U+000A is stored as 0 and the name positions after the units read are zero.
class KeyMapFileDecoder {
public:
    enum class Mode { Whole, NameOnly };

    // previousTable: the table the record holds now (may be null in NameOnly mode).
    KeyMapFileDecoder(Mode mode, const KeyTCharPair* previousTable);

    // Feeds the next bytes. Returns true once the decoder needs no more bytes; any further
    // bytes are ignored.
    bool Feed(const uint8_t* data, size_t size);

    // NameOnly: whether the name line was ended by U+000A or 20 units. Whole: always true,
    // since a short file is a partial load.
    [[nodiscard]] bool Succeeded() const;

    [[nodiscard]] const NameBuffer& Name() const { return m_name; }
    [[nodiscard]] const KeyTCharPair* Table() const { return m_table; }

private:
    enum class Phase { Name, SkipNameRest, Entries, Done };
    void TakeUnit(char16_t unit);

    Mode m_mode;
    Phase m_phase = Phase::Name;
    size_t m_index = 0; // name position, or unit index within the entries
    bool m_haveLowByte = false;
    uint8_t m_lowByte = 0;
    NameBuffer m_name = {};
    KeyTCharPair m_table[KEY_COUNT] = {};
};

// Whole-buffer forms of the two reads. They write name[0] to name[19], never name[20].
void DecodeKeyMapFile(const uint8_t* data, size_t size, NameBuffer& name, KeyTCharPair* table);
bool DecodeKeyMapName(const uint8_t* data, size_t size, NameBuffer& name);

} // namespace pelo::scheme
