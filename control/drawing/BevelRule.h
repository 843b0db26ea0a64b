// The key face bitmaps: a flat face inside a two-pixel bevel, raised or pressed, in four colours.
// Shared by the resource generator and the tests so the rule exists once.
#pragma once

#include <cstdint>

namespace pelokey::drawing::bevel {

// Colour indices, in the order of the bitmaps' colour tables.
enum Colour : std::uint8_t { Dark = 0, Face = 1, Shadow = 2, Light = 3 };

struct Rgb {
    std::uint8_t r, g, b;
};
inline constexpr Rgb Palette[4] = { { 68, 66, 68 }, { 212, 210, 204 }, { 132, 130, 132 }, { 252, 254, 252 } };

// The colour of pixel (x, y), counted from the top left, of a w x h face.
constexpr Colour PixelAt(int x, int y, int w, int h, bool pressed) noexcept
{
    const Colour outerLit = pressed ? Shadow : Face; // top row, left column
    const Colour outerDark = pressed ? Light : Dark; // right column, bottom row
    const Colour innerLit = pressed ? Dark : Light; // second row, second column
    const Colour innerDark = pressed ? Face : Shadow; // second-to-last row and column
    if (x == w - 1 || y == h - 1) {
        return outerDark;
    }
    if (y == 0 || x == 0) {
        return outerLit;
    }
    if (y == 1) {
        return x == w - 2 ? innerDark : innerLit;
    }
    if (x == w - 2 || y == h - 2) {
        return innerDark;
    }
    if (x == 1) {
        return innerLit;
    }
    return Face;
}

struct FaceBitmap {
    int id;
    int width, height;
    bool pressed;
    int colourTableSize;
};
inline constexpr FaceBitmap FaceBitmaps[4] = {
    { 201, 29, 29, true, 4 },
    { 202, 29, 29, false, 4 },
    { 205, 87, 29, true, 16 },
    { 206, 87, 29, false, 16 },
};

} // namespace pelokey::drawing::bevel
