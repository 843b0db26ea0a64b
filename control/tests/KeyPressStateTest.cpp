#include "KeyPressState.h"

#include <gtest/gtest.h>

using pelokey::KeyKind;
using pelokey::KeyPressState;

namespace {
constexpr KeyKind CharacterKey { 0, 1, 0 };
constexpr KeyKind ShiftKey { 0, 2, 1 };
constexpr KeyKind EditorKey { 1, 1, 0 };

KeyPressState State(int down, int shiftDown)
{
    KeyPressState s;
    s.bKeyDown = down;
    s.bKeyShiftDown = shiftDown;
    return s;
}
} // namespace

TEST(KeyPressState, CharacterKey_PressedWhileHeld_ShiftLookUntouched)
{
    for (int shift : { 0, 1 }) {
        KeyPressState s = State(0, shift);
        s.Press(CharacterKey);
        EXPECT_EQ(s.bKeyDown, 1);
        EXPECT_EQ(s.bKeyShiftDown, shift);
        s.Press(CharacterKey);
        EXPECT_EQ(s.bKeyDown, 1) << "a second press does not raise an ordinary key";
        s.Release(CharacterKey);
        EXPECT_EQ(s.bKeyDown, 0);
        EXPECT_EQ(s.bKeyShiftDown, shift) << "release clears only the pressed flag";
    }
}

TEST(KeyPressState, ShiftKey_TogglesFollowingShiftFlag_ReleaseIgnored)
{
    KeyPressState s;
    const int expected[] = { 1, 0, 1 };
    for (int want : expected) {
        s.Press(ShiftKey);
        EXPECT_EQ(s.bKeyDown, want);
        EXPECT_EQ(s.bKeyShiftDown, want);
        s.Release(ShiftKey);
        EXPECT_EQ(s.bKeyDown, want);
    }
    // The toggle follows the Shift-down flag, not the pressed flag.
    s = State(1, 0);
    s.Press(ShiftKey);
    EXPECT_EQ(s.bKeyDown, 1);
    EXPECT_EQ(s.bKeyShiftDown, 1);
    s = State(0, 1);
    s.Press(ShiftKey);
    EXPECT_EQ(s.bKeyDown, 0);
    EXPECT_EQ(s.bKeyShiftDown, 0);
}

TEST(KeyPressState, EditorKey_TogglesFollowingPressedFlag_ReleaseIgnored)
{
    for (KeyKind kind : { EditorKey, KeyKind { 1, 2, 1 }, KeyKind { 1, 3, 0 } }) {
        KeyPressState s = State(0, 1);
        s.Press(kind);
        EXPECT_EQ(s.bKeyDown, 1);
        EXPECT_EQ(s.bKeyShiftDown, 1);
        s.Release(kind);
        EXPECT_EQ(s.bKeyDown, 1);
        s.Press(kind);
        EXPECT_EQ(s.bKeyDown, 0);
        EXPECT_EQ(s.bKeyShiftDown, 0);
    }
    KeyPressState s = State(1, 0);
    s.Press(EditorKey);
    EXPECT_EQ(s.bKeyDown, 0);
    EXPECT_EQ(s.bKeyShiftDown, 0);
}

TEST(KeyPressState, EditorFlagTwo_PressesAsOutside_ReleaseDoesNotRaise)
{
    KeyPressState s;
    const KeyKind character { 2, 1, 0 };
    s.Press(character);
    EXPECT_EQ(s.bKeyDown, 1);
    EXPECT_EQ(s.bKeyShiftDown, 0);
    s.Release(character);
    EXPECT_EQ(s.bKeyDown, 1) << "release tests the editor flag for zero";

    const KeyKind shift { 2, 2, 1 };
    s = KeyPressState {};
    s.Press(shift);
    s.Press(shift);
    EXPECT_EQ(s.bKeyDown, 0);
    EXPECT_EQ(s.bKeyShiftDown, 0);
}

TEST(KeyPressState, StringKeyWithoutShift_BehavesAsOrdinaryKey)
{
    for (KeyKind kind : { KeyKind { 0, 2, 0 }, KeyKind { 0, 3, 0 } }) {
        KeyPressState s;
        s.Press(kind);
        s.Press(kind);
        EXPECT_EQ(s.bKeyDown, 1);
        EXPECT_EQ(s.bKeyShiftDown, 0);
        s.Release(kind);
        EXPECT_EQ(s.bKeyDown, 0);
    }
    // Any nonzero bShift counts, on a style other than 1.
    KeyPressState s;
    s.Press(KeyKind { 0, 3, 5 });
    EXPECT_EQ(s.bKeyShiftDown, 1);
    // A character key with bShift set is still a character key, but its release is ignored.
    s = KeyPressState {};
    s.Press(KeyKind { 0, 1, 1 });
    EXPECT_EQ(s.bKeyDown, 1);
    EXPECT_EQ(s.bKeyShiftDown, 0);
    s.Release(KeyKind { 0, 1, 1 });
    EXPECT_EQ(s.bKeyDown, 1);
}

TEST(KeyPressState, PostsKeyDown_OnlyCharacterStyleWithSendMsg)
{
    EXPECT_TRUE(pelokey::PressPostsKeyDown(1, 1));
    EXPECT_TRUE(pelokey::PressPostsKeyDown(7, 1));
    EXPECT_FALSE(pelokey::PressPostsKeyDown(0, 1));
    EXPECT_FALSE(pelokey::PressPostsKeyDown(1, 2));
    EXPECT_FALSE(pelokey::PressPostsKeyDown(1, 3));
    EXPECT_FALSE(pelokey::PressPostsKeyDown(1, 0));
}
