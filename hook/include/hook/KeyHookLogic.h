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
// key go on to the next hook. Ctrl, Alt and the repeat bit are deliberately not examined.
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

} // namespace pelo::hook
