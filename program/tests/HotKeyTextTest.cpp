#include "hotkey/HotKeyText.h"

#include <gtest/gtest.h>

using pelo::program::FormatHotKeyText;
using pelo::program::HotKeyModifiersToSystem;

TEST(HotKeyText, ModifierPart_EveryFlagValue_ExtendedBitAndZeroGiveNothing)
{
    const wchar_t* expected[16] = { L"", L"  Shift", L"  Ctrl", L"  Ctrl+Shift", L"  Alt", L"  Shift+Alt",
        L"  Ctrl+Alt", L"  Ctrl+Shift+Alt", L"", L"", L"", L"", L"", L"", L"", L"" };
    for (unsigned short flags = 0; flags < 16; ++flags) {
        // 0x07 (Escape's neighbour, no name) adds no key part, so only the modifier part shows.
        EXPECT_EQ(FormatHotKeyText(flags, 0x07), expected[flags]) << "flags " << flags;
    }
}

TEST(HotKeyText, KeyPart_LettersDigitsAndFunctionKeys)
{
    EXPECT_EQ(FormatHotKeyText(2, 'D'), L"  Ctrl+D");
    EXPECT_EQ(FormatHotKeyText(0, 'D'), L"+D");
    EXPECT_EQ(FormatHotKeyText(0, '0'), L"+0");
    EXPECT_EQ(FormatHotKeyText(0, '9'), L"+9");
    EXPECT_EQ(FormatHotKeyText(0, 'A'), L"+A");
    EXPECT_EQ(FormatHotKeyText(0, 'Z'), L"+Z");
    EXPECT_EQ(FormatHotKeyText(1, 0x70), L"  Shift+F1");
    EXPECT_EQ(FormatHotKeyText(0, 0x87), L"+F24");
    EXPECT_EQ(FormatHotKeyText(0, 0x88), L""); // past F24
    EXPECT_EQ(FormatHotKeyText(0, 0x2F), L""); // between '9' and 'A' ranges' neighbours
    EXPECT_EQ(FormatHotKeyText(0, 0x40), L"");
    EXPECT_EQ(FormatHotKeyText(0, 0x5B), L"");
    // Ctrl+Insert as the hotkey control reports it carries the extended-key bit: no modifier part.
    EXPECT_EQ(FormatHotKeyText(10, 0x2D), L"+Insert");
}

TEST(HotKeyText, KeyPart_EveryNamedKey_AndKeysWithoutNames)
{
    const struct {
        unsigned short key;
        const wchar_t* text;
    } named[] = { { 0x14, L"+Caps Lock" }, { 0x21, L"+Page Up" }, { 0x22, L"+Page Down" }, { 0x23, L"+End" },
        { 0x24, L"+Home" }, { 0x25, L"+Left" }, { 0x26, L"+Up" }, { 0x27, L"+Right" }, { 0x28, L"+Down" },
        { 0x2D, L"+Insert" }, { 0x60, L"+Num 0" }, { 0x61, L"+Num 1" }, { 0x62, L"+Num 2" },
        { 0x63, L"+Num 3" }, { 0x64, L"+Num 4" }, { 0x65, L"+Num 5" }, { 0x66, L"+Num 6" },
        { 0x67, L"+Num 7" }, { 0x68, L"+Num 8" }, { 0x69, L"+Num 9" }, { 0x6A, L"+Num *" },
        { 0x6B, L"+Num +" }, { 0x6D, L"+Num -" }, { 0x6F, L"+Num /" }, { 0xBA, L"+;" }, { 0xBB, L"+=" },
        { 0xBC, L"+," }, { 0xBD, L"+-" }, { 0xBE, L"+." }, { 0xBF, L"+/" }, { 0xC0, L"+`" }, { 0xDB, L"+[" },
        { 0xDC, L"+\\" }, { 0xDD, L"+]" }, { 0xDE, L"+'" } };
    for (const auto& row : named) {
        EXPECT_EQ(FormatHotKeyText(4, row.key), std::wstring(L"  Alt") + row.text) << "key " << row.key;
    }
    // Space, Tab, Enter, Backspace, Escape, Delete, Pause, Print Screen, keypad point and
    // separator, Num Lock: only the modifier part.
    for (unsigned short key : { 0x20, 0x09, 0x0D, 0x08, 0x1B, 0x2E, 0x13, 0x2C, 0x6E, 0x6C, 0x90 }) {
        EXPECT_EQ(FormatHotKeyText(2, key), L"  Ctrl") << "key " << key;
    }
}

TEST(HotKeyText, SystemModifiers_ConvertEachFlag_DropExtendedBit)
{
    EXPECT_EQ(HotKeyModifiersToSystem(0), 0u);
    EXPECT_EQ(HotKeyModifiersToSystem(1), 4u); // Shift -> MOD_SHIFT
    EXPECT_EQ(HotKeyModifiersToSystem(2), 2u); // Ctrl -> MOD_CONTROL
    EXPECT_EQ(HotKeyModifiersToSystem(4), 1u); // Alt -> MOD_ALT
    EXPECT_EQ(HotKeyModifiersToSystem(7), 7u);
    EXPECT_EQ(HotKeyModifiersToSystem(5), 5u); // Shift+Alt
    EXPECT_EQ(HotKeyModifiersToSystem(10), 2u); // Ctrl + extended key
    EXPECT_EQ(HotKeyModifiersToSystem(0xFFF0), 0u);
}
