// The hook's decisions, natively: which key messages it takes over and which character a key gives;
// and the key index of the scheme record that the hook library shares.
#include "hook/KeyHookLogic.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using pelo::hook::ConvertKey;
using pelo::hook::DecideKeyDown;
using pelo::hook::KeyDownDecision;
using pelo::hook::MappedKeyIndex;
using pelo::hook::ShortcutHeld;
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

namespace {

// A thread's key state that records what the decision read.
struct RecordingKeyState {
    unsigned char keys[pelo::hook::kKeyStateSize] = {};
    bool readable = true;
    std::vector<unsigned> singleReads;
    int wholeReads = 0;

    bool Down(unsigned vk)
    {
        singleReads.push_back(vk);
        return (keys[vk] & 0x80) != 0;
    }
    bool ReadAll(unsigned char (&out)[pelo::hook::kKeyStateSize])
    {
        ++wholeReads;
        if (!readable) {
            return false;
        }
        for (int i = 0; i < pelo::hook::kKeyStateSize; ++i) {
            out[i] = keys[i];
        }
        return true;
    }
};

constexpr unsigned char kDown = 0x80;
constexpr unsigned char kToggled = 0x01;
constexpr unsigned kShortcutKeys[] = { 0x11, 0x12, 0x5B, 0x5C }; // Ctrl, Alt, left and right Windows

bool operator==(const KeyDownDecision& a, const KeyDownDecision& b)
{
    return a.convert == b.convert && a.shift == b.shift;
}

} // namespace

TEST(KeyHookLogic, DecideKeyDown_ConvertsAndReadsOnlyShift_WhenShortcutsDoNotPass)
{
    for (unsigned modifier : kShortcutKeys) {
        RecordingKeyState state;
        state.keys[modifier] = kDown;
        EXPECT_TRUE((DecideKeyDown(state, false, false) == KeyDownDecision { true, false })) << modifier;
        EXPECT_EQ(state.singleReads, std::vector<unsigned> { 0x10 });
        EXPECT_EQ(state.wholeReads, 0);

        state.keys[0x10] = kDown;
        state.singleReads.clear();
        EXPECT_TRUE((DecideKeyDown(state, false, false) == KeyDownDecision { true, true })) << modifier;
        EXPECT_EQ(state.singleReads, std::vector<unsigned> { 0x10 });
    }
    // The soft Shift decides alone: no key state is read at all.
    RecordingKeyState state;
    EXPECT_TRUE((DecideKeyDown(state, false, true) == KeyDownDecision { true, true }));
    EXPECT_TRUE(state.singleReads.empty());
    EXPECT_EQ(state.wholeReads, 0);
}

TEST(KeyHookLogic, DecideKeyDown_PassesTheKeyOn_WithCtrlAltOrWindowsKeyDown_WhenShortcutsPass)
{
    for (unsigned modifier : kShortcutKeys) {
        for (bool softShift : { false, true }) {
            RecordingKeyState state;
            state.keys[modifier] = kDown;
            state.keys[0x10] = kDown; // Ctrl+Shift+key is a shortcut too
            EXPECT_FALSE(DecideKeyDown(state, true, softShift).convert) << modifier;
            EXPECT_EQ(state.wholeReads, 1);
            EXPECT_TRUE(state.singleReads.empty());
        }
    }
}

TEST(KeyHookLogic, DecideKeyDown_ConvertsWithShiftFromTheSameRead_WithoutShortcutKeys)
{
    RecordingKeyState state;
    EXPECT_TRUE((DecideKeyDown(state, true, false) == KeyDownDecision { true, false }));
    state.keys[0x10] = kDown;
    EXPECT_TRUE((DecideKeyDown(state, true, false) == KeyDownDecision { true, true }));
    state.keys[0x10] = 0;
    EXPECT_TRUE((DecideKeyDown(state, true, true) == KeyDownDecision { true, true }));
    EXPECT_EQ(state.wholeReads, 3);
    EXPECT_TRUE(state.singleReads.empty());

    // Toggled but released modifiers (and Caps Lock on) are no shortcut.
    for (unsigned key : { 0x11u, 0x12u, 0x5Bu, 0x5Cu, 0x14u }) {
        state.keys[key] = kToggled;
    }
    EXPECT_TRUE((DecideKeyDown(state, true, false) == KeyDownDecision { true, false }));
}

TEST(KeyHookLogic, DecideKeyDown_ConvertsAsWithoutTheOption_WhenTheKeyStateCannotBeRead)
{
    RecordingKeyState state;
    state.readable = false;
    state.keys[0x11] = kDown;
    state.keys[0x10] = kDown;
    EXPECT_TRUE((DecideKeyDown(state, true, false) == KeyDownDecision { true, true }));
    EXPECT_EQ(state.wholeReads, 1);
    EXPECT_EQ(state.singleReads, std::vector<unsigned> { 0x10 });
}

TEST(KeyHookLogic, ShortcutHeld_OnlyForCtrlAltAndWindowsKeys)
{
    for (unsigned key = 0; key < 256; ++key) {
        unsigned char keys[pelo::hook::kKeyStateSize] = {};
        keys[key] = kDown;
        const bool modifier = key == 0x11 || key == 0x12 || key == 0x5B || key == 0x5C;
        EXPECT_EQ(ShortcutHeld(keys), modifier) << "key " << key;
    }
}

TEST(KeyIndex, CharacterAbove0xFF_IsReturnedUnchanged_NotItsLowByte)
{
    // U+4E00 has the low byte 0, the index of key '0'; U+4E0A and U+4E23 those of 'A' and 'Z'.
    for (unsigned int ch : { 0x4E00u, 0x4E0Au, 0x4E23u, 0xFFFFu, 0x10000u }) {
        EXPECT_EQ(KeyCharToIndex(ch), static_cast<int>(ch)) << std::hex << ch;
    }
}
