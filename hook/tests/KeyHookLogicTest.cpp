// The hook's decisions, natively: which key messages it takes over and which character a key gives;
// and the key index of the scheme record that the hook library shares.
#include "hook/KeyHookLogic.h"

#include <gtest/gtest.h>

#include <set>

using pelo::hook::ConvertKey;
using pelo::hook::MappedKeyIndex;
using pelo::hook::TakesOverKey;

namespace {

// Every entry distinct, so a wrong index or a swapped pair shows.
struct DistinctTable {
    KeyTCharPair entries[KEY_COUNT];
    DistinctTable()
    {
        for (int i = 0; i < KEY_COUNT; ++i) {
            entries[i].tchar1 = static_cast<char16_t>(0x4E00 + i);
            entries[i].tchar2 = static_cast<char16_t>(0x9F00 + i);
        }
    }
};

constexpr unsigned long long kKeyDown = 0x00000001; // repeat count 1, everything else clear
constexpr unsigned long long kKeyUp = 0xC0000001; // released, previously down
constexpr int kAction = 0;

} // namespace

TEST(KeyHookLogic, MappedKeyIndex_FollowsKeyIndexOrder_ForAll36Keys)
{
    std::set<int> seen;
    for (unsigned key = '0'; key <= '9'; ++key) {
        EXPECT_EQ(MappedKeyIndex(key), static_cast<int>(key - '0'));
        seen.insert(MappedKeyIndex(key));
    }
    for (unsigned key = 'A'; key <= 'Z'; ++key) {
        EXPECT_EQ(MappedKeyIndex(key), static_cast<int>(key - 'A' + 10));
        seen.insert(MappedKeyIndex(key));
    }
    EXPECT_EQ(seen.size(), 36u);
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 35);
}

TEST(KeyHookLogic, MappedKeyIndex_RejectsEveryOtherCode_IncludingNumpadAndHighBits)
{
    int mapped = 0;
    for (unsigned long long key = 0; key < 0x200; ++key) {
        const bool inRange = (key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A);
        EXPECT_EQ(MappedKeyIndex(key) >= 0, inRange) << "key " << key;
        mapped += MappedKeyIndex(key) >= 0 ? 1 : 0;
    }
    EXPECT_EQ(mapped, 36);
    // A message parameter is wider than a key code: 'A' with high bits set is no key.
    EXPECT_EQ(MappedKeyIndex(0x100000041ull), -1);
    EXPECT_EQ(MappedKeyIndex(0x141), -1);
    EXPECT_EQ(MappedKeyIndex(~0ull), -1);
}

TEST(KeyHookLogic, ConvertKey_GivesCharacterOneOrTwo_FromTheKeysEntry)
{
    const DistinctTable table;
    for (unsigned key = '0'; key <= '9'; ++key) {
        EXPECT_EQ(ConvertKey(table.entries, key, false), table.entries[key - '0'].tchar1);
        EXPECT_EQ(ConvertKey(table.entries, key, true), table.entries[key - '0'].tchar2);
    }
    EXPECT_EQ(ConvertKey(table.entries, 'A', false), u'\x4E0A');
    EXPECT_EQ(ConvertKey(table.entries, 'A', true), u'\x9F0A');
    EXPECT_EQ(ConvertKey(table.entries, 'Z', false), u'\x4E23');
    EXPECT_EQ(ConvertKey(table.entries, 'Z', true), u'\x9F23');
}

TEST(KeyHookLogic, ConvertKey_GivesZero_ForKeysOutsideThe36)
{
    const DistinctTable table;
    for (unsigned long long key : { 0x00ull, 0x2Full, 0x3Aull, 0x40ull, 0x5Bull, 0x60ull, 0x61ull, 0x69ull,
             0x7Aull, 0xFFull, 0x100000030ull }) {
        EXPECT_EQ(ConvertKey(table.entries, key, false), 0) << "key " << key;
        EXPECT_EQ(ConvertKey(table.entries, key, true), 0) << "key " << key;
    }
}

TEST(KeyHookLogic, TakesOverKey_OnlyKeyDownsOfMappedKeys_WithActionCode)
{
    EXPECT_TRUE(TakesOverKey(kAction, '0', kKeyDown));
    EXPECT_TRUE(TakesOverKey(kAction, 'Z', kKeyDown));
    // Auto-repeat (previous-state bit 30) and any Alt/extended bits still type.
    EXPECT_TRUE(TakesOverKey(kAction, 'C', 0x40000001));
    EXPECT_TRUE(TakesOverKey(kAction, 'C', 0x21000001));

    // Released keys pass, also when the flags come sign-extended in a wide parameter.
    EXPECT_FALSE(TakesOverKey(kAction, 'A', kKeyUp));
    EXPECT_FALSE(TakesOverKey(kAction, 'A', 0xFFFFFFFFC0000001ull));
    EXPECT_FALSE(TakesOverKey(kAction, 'A', 0x80000001));

    // Peeks without removal (HC_NOREMOVE 3) and negative codes pass.
    for (int code : { -1, 1, 2, 3 }) {
        EXPECT_FALSE(TakesOverKey(code, 'A', kKeyDown)) << "code " << code;
    }

    // Keypad digits, lower-case codes, punctuation and control keys pass.
    for (unsigned long long key : { 0x60ull, 0x61ull, 0x69ull, 0x10ull, 0x11ull, 0x20ull, 0x2Full, 0x3Aull,
             0x40ull, 0x5Bull, 0xBAull }) {
        EXPECT_FALSE(TakesOverKey(kAction, key, kKeyDown)) << "key " << key;
    }
}

TEST(KeyIndex, CharacterAbove0xFF_IsReturnedUnchanged_NotItsLowByte)
{
    // U+4E00 has the low byte 0, the index of key '0'; U+4E0A and U+4E23 those of 'A' and 'Z'.
    for (unsigned int ch : { 0x4E00u, 0x4E0Au, 0x4E23u, 0xFFFFu, 0x10000u }) {
        EXPECT_EQ(KeyCharToIndex(ch), static_cast<int>(ch)) << std::hex << ch;
    }
}
