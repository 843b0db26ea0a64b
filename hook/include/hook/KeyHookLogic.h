// What the keyboard hook decides, without the platform: which key messages it takes over,
// and which character a key gives. No <windows.h> and no runtime calls, so that the hook
// library (which has no C runtime) and the native tests use the very same code.
#pragma once

#include "scheme/KeyMapFangAn.h"

namespace pelo::hook {

// Key index of a virtual-key code: '0'-'9' give 0-9, 'A'-'Z' give 10-35, anything else -1.
// The whole value counts: a code with higher bits set is not a mapped key.
constexpr int MappedKeyIndex(unsigned long long key)
{
    if (key >= 0x30 && key <= 0x39) {
        return static_cast<int>(key - 0x30);
    }
    if (key >= 0x41 && key <= 0x5A) {
        return static_cast<int>(key - 0x41 + 10);
    }
    return -1;
}

// Character one, or character two when Shift is down; 0 for keys outside the 36.
constexpr char16_t ConvertKey(const KeyTCharPair* table, unsigned long long key, bool shift)
{
    const int index = MappedKeyIndex(key);
    if (index < 0) {
        return 0;
    }
    return shift ? table[index].tchar2 : table[index].tchar1;
}

// The hook takes over a key-down of a mapped key delivered for processing (code 0, the
// action code). Key-ups (bit 31 of the key flags), peeks and other codes, and every other
// key go on to the next hook. Ctrl, Alt and the repeat bit are not examined here: whether a
// shortcut passes is the program's choice (DecideKeyDown).
constexpr bool TakesOverKey(int code, unsigned long long wParam, unsigned long long lParam)
{
    constexpr int actionCode = 0;
    if ((lParam & 0x80000000ull) != 0) {
        return false;
    }
    if (code != actionCode) {
        return false;
    }
    return MappedKeyIndex(wParam) >= 0;
}

// Virtual-key codes the key-down decision reads.
inline constexpr unsigned kVkShift = 0x10;
inline constexpr unsigned kVkControl = 0x11;
inline constexpr unsigned kVkMenu = 0x12; // Alt
inline constexpr unsigned kVkLeftWin = 0x5B;
inline constexpr unsigned kVkRightWin = 0x5C;
inline constexpr int kKeyStateSize = 256;

// A key state byte: the high bit says down, the low bit is the toggle (Caps Lock and the like).
constexpr bool KeyStateDown(unsigned char state)
{
    return (state & 0x80) != 0;
}

// Ctrl, Alt or a Windows key is down: the key typed with it is a shortcut. The generic codes
// stand for either side of Ctrl and Alt.
constexpr bool ShortcutHeld(const unsigned char (&keys)[kKeyStateSize])
{
    return KeyStateDown(keys[kVkControl]) || KeyStateDown(keys[kVkMenu]) || KeyStateDown(keys[kVkLeftWin])
        || KeyStateDown(keys[kVkRightWin]);
}

struct KeyDownDecision {
    bool convert; // false: the key goes on to the next hook unchanged
    bool shift; // character two
};

// What becomes of a key-down the hook takes over, from the program's flags and the calling
// thread's key state as of the key message being processed, which the KeyState object reads:
//   bool Down(unsigned vk)                              one key
//   bool ReadAll(unsigned char (&keys)[kKeyStateSize])  every key at once; false if unavailable
// Without passing shortcuts only Shift is read, and not even that under the soft Shift. With it,
// one read of the whole state answers modifiers and Shift together: each read may be a round trip
// to the window system, so this costs what the read of Shift alone costs otherwise. A state that
// cannot be read counts as no shortcut.
template <typename KeyState> KeyDownDecision DecideKeyDown(KeyState& keys, bool passShortcuts, bool softShift)
{
    if (passShortcuts) {
        unsigned char all[kKeyStateSize];
        if (keys.ReadAll(all)) {
            if (ShortcutHeld(all)) {
                return { false, false };
            }
            return { true, softShift || KeyStateDown(all[kVkShift]) };
        }
    }
    return { true, softShift || keys.Down(kVkShift) };
}

} // namespace pelo::hook
