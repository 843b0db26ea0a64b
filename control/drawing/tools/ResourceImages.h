// Builds the control library's pictures as file bytes: the four key face bitmaps from the bevel
// rule, the toolbox bitmap and the icon (a small key cap with the letter P).
#pragma once

#include "../BevelRule.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace pelokey::drawing::images {

using Bytes = std::vector<std::uint8_t>;

// A 4-bit .bmp file of one key face.
Bytes FaceBitmapFile(const bevel::FaceBitmap&);
// The toolbox picture: 16 x 16, 16 colours.
Bytes ToolboxBitmapFile();
// The icon: 32 x 32 and 16 x 16 images, 16 colours, with transparency masks.
Bytes IconFile();

// One square image of an icon in the 16 colours of StandardPalette: its size, the colour index
// of each pixel, and which pixels are transparent.
struct IconImage {
    int size;
    std::function<std::uint8_t(int x, int y)> pixel;
    std::function<bool(int x, int y)> transparent;
};
// An icon file of the images, in the order given.
Bytes IconFileOf(const std::vector<IconImage>& images);

// The 16-colour table of the toolbox bitmap and the icon.
extern const bevel::Rgb StandardPalette[16];

} // namespace pelokey::drawing::images
