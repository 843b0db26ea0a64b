// What a key face paint draws for a given state: which bevel bitmap, and the weight, tilt and
// colour of the two scheme characters. Plain C++; the Windows paint routine follows it.
#pragma once

#include <cstdint>

namespace pelokey::drawing {

enum BitmapId : int {
    IDB_CHAR_DOWN = 201,
    IDB_CHAR_UP = 202,
    IDB_STRING_DOWN = 205,
    IDB_STRING_UP = 206,
};

using Colour = std::uint32_t; // 0x00BBGGRR, as a COLORREF
inline constexpr Colour Black = 0x000000;
inline constexpr Colour Grey = 0x747474;
inline constexpr Colour DarkRed = 0x000080;
inline constexpr Colour TextBackground = 0xC8D0D4; // RGB(212,208,200)

struct CharFont {
    int weight;
    int escapement; // tenths of a degree
    Colour colour;
};

struct PaintPlan {
    int bitmapId;
    bool characterKey; // false: a centred label
    CharFont tchar1, tchar2;
};

// Only nKeyStyle 1 is a character key; every other style draws as a label. Flags are tested for
// nonzero except bInConfigDlg, which only the exact value 1 marks as the editor's key.
PaintPlan PlanKeyFace(std::int16_t nKeyStyle, std::int32_t bKeyDown, std::int32_t bKeyShiftDown,
    std::int32_t bInConfigDlg) noexcept;

} // namespace pelokey::drawing
