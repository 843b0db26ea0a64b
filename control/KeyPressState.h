// The key button's press state: what a press (left button or SetKeyDown) and a release (left
// button up or SetKeyUp) do to the pressed and Shift-down flags, for every kind of key.
// Plain C++ so that the table is tested natively.
#pragma once

#include <cstdint>

namespace pelokey {

// The persisted properties that decide the kind of key. BOOL fields keep the value they hold:
// a key-map editor flag of 2 is nonzero but not 1.
struct KeyKind {
    std::int32_t bInConfigDlg = 0;
    std::int16_t nKeyStyle = 1;
    std::int32_t bShift = 0;
};

inline constexpr std::int16_t KeyStyleChar = 1;
inline constexpr std::int16_t KeyStyleString = 2;

struct KeyPressState {
    std::int32_t bKeyDown = 0;
    std::int32_t bKeyShiftDown = 0;

    void Press(const KeyKind& kind) noexcept
    {
        if (kind.bInConfigDlg == 1) {
            // The key-map editor: each press toggles the key, following the pressed flag.
            const std::int32_t next = bKeyDown ? 0 : 1;
            bKeyDown = next;
            bKeyShiftDown = next;
        } else if (kind.nKeyStyle == KeyStyleChar || kind.bShift == 0) {
            bKeyDown = 1;
        } else {
            // The Shift key toggles, following the Shift-down flag.
            const std::int32_t next = bKeyShiftDown ? 0 : 1;
            bKeyDown = next;
            bKeyShiftDown = next;
        }
    }

    void Release(const KeyKind& kind) noexcept
    {
        if (kind.bInConfigDlg == 0 && kind.bShift == 0) {
            bKeyDown = 0;
        }
    }
};

// A left press posts a key-down to the parent only from a character key that sends messages.
[[nodiscard]] inline bool PressPostsKeyDown(std::int32_t bSendMsg, std::int16_t nKeyStyle) noexcept
{
    return bSendMsg != 0 && nKeyStyle == KeyStyleChar;
}

} // namespace pelokey
