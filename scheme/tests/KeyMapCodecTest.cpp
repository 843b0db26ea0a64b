#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Utf16Bytes.h"
#include "scheme/KeyMapCodec.h"

using namespace pelo::scheme;
using schemetest::Bytes;
using schemetest::Utf16Bytes;

namespace {

Bytes Encode(const char16_t* name, const KeyTCharPair* table)
{
    uint8_t buffer[kMaxFileBytes + 16];
    std::memset(buffer, 0xCC, sizeof buffer);
    const size_t size = EncodeKeyMapFile(name, table, buffer);
    EXPECT_LE(size, kMaxFileBytes);
    for (size_t i = kMaxFileBytes; i < sizeof buffer; ++i) {
        EXPECT_EQ(buffer[i], 0xCC) << "wrote past the largest file at " << i;
    }
    return Bytes(buffer, buffer + size);
}

// The name text: up to the first zero, never more than 20 units.
std::u16string NameOf(const NameBuffer& name)
{
    size_t n = 0;
    while (n < FANGAN_NAME_UNITS && name[n] != 0) {
        ++n;
    }
    return std::u16string(name, n);
}

// A whole load into a cleared name; returns the name text.
std::u16string DecodeInto(const Bytes& bytes, KeyTCharPair* table)
{
    NameBuffer name = {};
    DecodeKeyMapFile(bytes.data(), bytes.size(), name, table);
    return NameOf(name);
}

void FillTable(KeyTCharPair* table, char16_t seed)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        table[i] = { static_cast<char16_t>(seed + 2 * i), static_cast<char16_t>(seed + 2 * i + 1) };
    }
}

void ExpectTablesEqual(const KeyTCharPair* expected, const KeyTCharPair* actual)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        EXPECT_EQ(expected[i].tchar1, actual[i].tchar1) << "key index " << i;
        EXPECT_EQ(expected[i].tchar2, actual[i].tchar2) << "key index " << i;
    }
}

// The default scheme saved as "方案一", written out from the scheme's own glyphs.
const std::u16string kDefaultFileText
    = u"方案一\n"
      u"Ⅹ,十;\nⅠ,一;\nⅡ,二;\nⅢ,三;\nⅣ,四;\nⅤ,五;\nⅥ,六;\nⅦ,七;\nⅧ,八;\nⅨ,九;\n"
      u"α,Α;\nβ,Β;\nγ,Γ;\nδ,Δ;\nε,Ε;\nζ,Ζ;\nη,Η;\nθ,Θ;\nι,Ι;\nκ,Κ;\n"
      u"λ,Λ;\nμ,Μ;\nν,Ν;\nξ,Ξ;\nο,Ο;\nπ,Π;\nρ,Ρ;\nσ,Σ;\nτ,Τ;\nυ,Υ;\n"
      u"φ,Φ;\nχ,Χ;\nψ,Ψ;\nω,Ω;\n℃,‰;\n∑,±;\n";

} // namespace

TEST(KeyMapEncode, DefaultScheme_IsTheKnown368Bytes_NamedFangAnYi)
{
    const Bytes bytes = Encode(u"方案一", kDefaultKeyTable);
    ASSERT_EQ(bytes.size(), 368u);
    const uint8_t head[] = { 0xB9, 0x65, 0x48, 0x68, 0x00, 0x4E, 0x0A, 0x00, 0x69, 0x21, 0x2C, 0x00, 0x41,
        0x53, 0x3B, 0x00, 0x0A, 0x00, 0x60, 0x21, 0x2C, 0x00, 0x00, 0x4E, 0x3B, 0x00, 0x0A, 0x00 };
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + sizeof head), Bytes(head, head + sizeof head));
    EXPECT_EQ(bytes, Utf16Bytes(kDefaultFileText));
}

TEST(KeyMapEncode, FileSize_Is362PlusTwicenameLength_ForEmptyShortAndFullNames)
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x4000);

    const Bytes empty = Encode(u"", table);
    ASSERT_EQ(empty.size(), 362u);
    EXPECT_EQ(empty[0], 0x0A);
    EXPECT_EQ(empty[1], 0x00);

    const Bytes one = Encode(u"x", table);
    ASSERT_EQ(one.size(), 364u);
    EXPECT_EQ(Bytes(one.begin(), one.begin() + 4), (Bytes { 'x', 0, 0x0A, 0 }));

    const std::u16string twenty = u"ABCDEFGHIJKLMNOPQRST";
    const Bytes full = Encode(twenty.c_str(), table);
    ASSERT_EQ(full.size(), 402u);
    EXPECT_EQ(Bytes(full.begin(), full.begin() + 42), Utf16Bytes(twenty + u"\n"));

    // Only 20 units of a longer string are written, as the record holds no more.
    EXPECT_EQ(Encode(u"ABCDEFGHIJKLMNOPQRSTUVWXY", table), full);
}

TEST(KeyMapEncode, NameWithLineFeed_IsCutThere_SoTheEntriesStayInPlace)
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x100);
    const Bytes bytes = Encode(u"AB\nCD", table);
    EXPECT_EQ(bytes, Encode(u"AB", table));

    KeyTCharPair back[KEY_COUNT] = {};
    EXPECT_EQ(DecodeInto(bytes, back), u"AB");
    ExpectTablesEqual(table, back);
}

TEST(KeyMapDecode, EveryUnitValue_RoundTrips_InBothCharacterPositions)
{
    // 72 characters per file; walk all 65536 values, including 0, U+000A, "," and ";".
    uint32_t next = 0;
    while (next <= 0xFFFF) {
        KeyTCharPair table[KEY_COUNT];
        for (int i = 0; i < KEY_COUNT; ++i) {
            table[i].tchar1 = static_cast<char16_t>(next++ & 0xFFFF);
            table[i].tchar2 = static_cast<char16_t>(next++ & 0xFFFF);
        }
        const Bytes bytes = Encode(u"名", table);
        ASSERT_EQ(bytes.size(), 364u);
        NameBuffer name = {};
        KeyTCharPair back[KEY_COUNT];
        FillTable(back, 0x7777);
        DecodeKeyMapFile(bytes.data(), bytes.size(), name, back);
        ASSERT_EQ(NameOf(name), u"名");
        for (int i = 0; i < KEY_COUNT; ++i) {
            ASSERT_EQ(back[i].tchar1, table[i].tchar1) << "value " << +table[i].tchar1;
            ASSERT_EQ(back[i].tchar2, table[i].tchar2) << "value " << +table[i].tchar2;
        }
    }
}

TEST(KeyMapDecode, NameLines_OfTwentyTwentyFiveAndZeroUnits_ReadAsBothReadersShould)
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x0400);
    const Bytes emptyNamed = Encode(u"", table);
    const Bytes entries(emptyNamed.begin() + 2, emptyNamed.end());

    struct Case {
        std::u16string line;
        std::u16string expected;
    };
    const Case cases[] = {
        { u"ABCDEFGHIJKLMNOPQRST", u"ABCDEFGHIJKLMNOPQRST" },
        { u"ABCDEFGHIJKLMNOPQRSTUVWXY", u"ABCDEFGHIJKLMNOPQRST" },
        { u"ABCDEFGHIJKLMNOPQRST,;\x0D", u"ABCDEFGHIJKLMNOPQRST" },
        { u"", u"" },
        { u"方案三", u"方案三" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        Bytes bytes = Utf16Bytes(c.line + u"\n");
        bytes.insert(bytes.end(), entries.begin(), entries.end());

        NameBuffer name;
        std::memset(name, 0x55, sizeof name);
        KeyTCharPair back[KEY_COUNT] = {};
        DecodeKeyMapFile(bytes.data(), bytes.size(), name, back);
        EXPECT_EQ(NameOf(name), c.expected);
        ExpectTablesEqual(table, back);
        EXPECT_EQ(name[FANGAN_NAME_UNITS], 0x5555) << "the 21st unit is never written";

        NameBuffer nameOnly;
        std::memset(nameOnly, 0x55, sizeof nameOnly);
        EXPECT_TRUE(DecodeKeyMapName(bytes.data(), bytes.size(), nameOnly));
        EXPECT_EQ(NameOf(nameOnly), c.expected);
    }
}

TEST(KeyMapDecode, NameOnlyRead_StopsAfterTwentyUnits_EvenWithoutLineFeed)
{
    const Bytes bytes = Utf16Bytes(u"ABCDEFGHIJKLMNOPQRST");
    NameBuffer name = {};
    EXPECT_TRUE(DecodeKeyMapName(bytes.data(), bytes.size(), name));
    EXPECT_EQ(NameOf(name), u"ABCDEFGHIJKLMNOPQRST");

    const Bytes nineteen(bytes.begin(), bytes.end() - 2);
    EXPECT_FALSE(DecodeKeyMapName(nineteen.data(), nineteen.size(), name));
    EXPECT_EQ(NameOf(name), u"ABCDEFGHIJKLMNOPQRS");
}

TEST(KeyMapDecode, FileCutAtAnyByte_KeepsPreviousValuesOfTheMissingCharactersAndEndsTheName)
{
    KeyTCharPair stored[KEY_COUNT];
    FillTable(stored, 0x5000);
    KeyTCharPair previous[KEY_COUNT];
    FillTable(previous, 0x6000);
    const Bytes full = Encode(u"方案", stored);
    const size_t entriesStart = 6;

    for (size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE(cut);
        KeyTCharPair table[KEY_COUNT];
        FillTable(table, 0x6000);
        // A name cut off by the end of the file ends with the units read: nothing of an older,
        // longer name may show through behind them.
        NameBuffer name;
        std::memset(name, 0x41, sizeof name);
        DecodeKeyMapFile(full.data(), cut, name, table);
        const std::u16string namePart = std::u16string(u"方案").substr(0, std::min<size_t>(cut / 2, 2));
        EXPECT_EQ(NameOf(name), namePart);
        for (int i = 0; i < KEY_COUNT; ++i) {
            const size_t end1 = entriesStart + 10 * i + 2;
            const size_t end2 = entriesStart + 10 * i + 6;
            EXPECT_EQ(table[i].tchar1, cut >= end1 ? stored[i].tchar1 : previous[i].tchar1) << i;
            EXPECT_EQ(table[i].tchar2, cut >= end2 ? stored[i].tchar2 : previous[i].tchar2) << i;
        }
        NameBuffer nameOnly;
        std::memset(nameOnly, 0x41, sizeof nameOnly);
        EXPECT_EQ(DecodeKeyMapName(full.data(), cut, nameOnly), cut >= entriesStart);
        EXPECT_EQ(NameOf(nameOnly), namePart);
    }
}

TEST(KeyMapDecode, SeparatorsAndTrailingBytes_AreNeverCompared)
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x0E00);
    Bytes bytes = Encode(u"N", table);
    // Overwrite every separator with junk (but not with the line feed that ends the name).
    for (int i = 0; i < KEY_COUNT; ++i) {
        for (size_t unit : { 1u, 3u, 4u }) {
            bytes[4 + 10 * i + 2 * unit] = 0xEE;
            bytes[4 + 10 * i + 2 * unit + 1] = static_cast<uint8_t>(i);
        }
    }
    const Bytes trailing = Utf16Bytes(u"more text\nand more\n");
    bytes.insert(bytes.end(), trailing.begin(), trailing.end());
    bytes.push_back(0x41); // an odd last byte

    KeyTCharPair back[KEY_COUNT] = {};
    EXPECT_EQ(DecodeInto(bytes, back), u"N");
    ExpectTablesEqual(table, back);
}

TEST(KeyMapDecode, ZeroUnitInsideTheNameLine_EndsTheNameButNotTheLine)
{
    KeyTCharPair table[KEY_COUNT];
    FillTable(table, 0x0A00);
    Bytes bytes = Utf16Bytes(std::u16string(u"AB\0CD\n", 6));
    const Bytes entries = Encode(u"", table);
    bytes.insert(bytes.end(), entries.begin() + 2, entries.end());

    NameBuffer name = {};
    KeyTCharPair back[KEY_COUNT] = {};
    DecodeKeyMapFile(bytes.data(), bytes.size(), name, back);
    EXPECT_EQ(NameOf(name), u"AB");
    ExpectTablesEqual(table, back);
    // Saved again, the name is what the record shows.
    EXPECT_EQ(Encode(name, back), Encode(u"AB", table));
}

TEST(KeyMapName, CopyIn_KeepsTwentyUnitsZeroFilledAndNeverTouchesTheTwentyFirst)
{
    NameBuffer name;
    std::memset(name, 0x77, sizeof name);
    CopyNameIn(name, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(std::u16string(name, 20), u"ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(name[20], 0x7777);

    CopyNameIn(name, u"短");
    EXPECT_EQ(name[0], u'短');
    for (int i = 1; i < 20; ++i) {
        EXPECT_EQ(name[i], 0) << i;
    }
    EXPECT_EQ(name[20], 0x7777);

    CopyNameIn(name, nullptr);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(name[i], 0) << i;
    }
}

TEST(KeyMapName, DefaultNameForAMissingFile_TakesTheSlotNumeralOrAFileNameCharacter)
{
    NameBuffer name;
    const struct {
        const char16_t* path;
        std::u16string expected;
    } cases[] = {
        { u".\\fangan\\1.kmf", u"方案一" },
        { u".\\fangan\\2.kmf", u"方案二" },
        { u".\\fangan\\3.kmf", u"方案三" },
        { u".\\fangan\\4.kmf", u"方案四" },
        { u".\\fangan\\5.kmf", u"方案五" },
        { u"fangan/0.kmf", u"方案〇" },
        { u"C:\\schemes\\extra.kmf", u"方案a" },
        { u"C:\\a.b\\noext", u"方案t" },
        { u"dir\\.kmf", u"方案" },
        { u"dir\\", u"方案" },
        { u"", u"方案" },
        { nullptr, u"方案" },
        { u"x\x0001.kmf", u"方案" },
        { u"x\xD83D.kmf", u"方案" },
    };
    for (const auto& c : cases) {
        std::memset(name, 0x55, sizeof name);
        DefaultSchemeName(c.path, name);
        EXPECT_EQ(NameOf(name), c.expected);
        EXPECT_EQ(name[FANGAN_NAME_UNITS], 0);
    }
}

TEST(KeyIndex, KeyCharacters_MapToTheirIndex_OtherCharactersDoNot)
{
    const std::string keys = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(KeyCharToIndex(static_cast<unsigned char>(keys[i])), static_cast<int>(i));
        // Only the low 8 bits count.
        EXPECT_EQ(KeyCharToIndex(0x4500u | static_cast<unsigned char>(keys[i])), static_cast<int>(i));
    }
    EXPECT_EQ(KeyCharToIndex('Z'), 35);
    for (unsigned int ch : { 0x61u, 0x7Au, 0x2Fu, 0x3Au, 0x40u, 0x5Bu, 0x60u, 0xFFu }) { // a z / : @ [ ` ÿ
        const int index = KeyCharToIndex(ch);
        EXPECT_TRUE(index < 0 || index >= KEY_COUNT) << ch;
        EXPECT_EQ(index, static_cast<int>(ch));
    }
}
