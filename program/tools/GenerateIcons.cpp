// Build-host generator of the program's two icons, 16 x 16 and 32 x 32 with 16 colours:
// 128, a small keyboard (white keys on blue with one wide yellow key), and 129, the same
// keyboard under a red prohibition sign.
//   GenerateIcons OUTPUT_DIR   (writes pelo-on.ico and pelo-off.ico)
#include "ResourceImages.h"
#include "WriteFile.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using pelokey::drawing::images::IconFileOf;
using pelokey::drawing::images::IconImage;
using pelokey::tools::OutputFolder;
using pelokey::tools::WriteFile;

namespace {

// Indexes into the standard 16-colour table; 0 (black) stands for transparency here.
enum Colour : std::uint8_t { Transparent = 0, Navy = 4, Red = 9, Yellow = 11, Blue = 12, White = 15 };

// The picture on a 16-unit grid; `scale` pixels a unit.
std::uint8_t KeyboardPixel(int x, int y, int scale)
{
    const int gx = x / scale, gy = y / scale;
    if (gy < 2 || gy > 12) {
        return Transparent;
    }
    if (gy == 2 || gy == 12 || gx == 0 || gx == 15) {
        return Navy; // the keyboard's rim
    }
    const bool keyColumn = gx % 3 != 0; // keys two units wide, one unit apart
    if ((gy == 3 || gy == 4 || gy == 6 || gy == 7) && keyColumn) {
        return White;
    }
    if ((gy == 9 || gy == 10) && gx >= 4 && gx <= 11) {
        return Yellow;
    }
    return Blue;
}

// A red ring with a bar from top left to bottom right, over the keyboard.
std::uint8_t ProhibitedPixel(int x, int y, int scale)
{
    const double size = 16.0 * scale;
    const double cx = size / 2, cy = size / 2;
    const double px = x + 0.5, py = y + 0.5;
    const double r = std::hypot(px - cx, py - cy);
    const double outer = size / 2, inner = size / 2 - 2.2 * scale;
    if (r <= outer && (r >= inner || std::fabs((px - cx) - (py - cy)) <= 1.5 * scale)) {
        return Red;
    }
    return KeyboardPixel(x, y, scale);
}

using PixelFn = std::uint8_t (*)(int x, int y, int scale);

std::vector<std::uint8_t> Icon(PixelFn pixel)
{
    std::vector<IconImage> images;
    for (const int size : { 32, 16 }) {
        const int scale = size / 16;
        images.push_back({ size, [=](int x, int y) { return pixel(x, y, scale); },
            [=](int x, int y) { return pixel(x, y, scale) == Transparent; } });
    }
    return IconFileOf(images);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = OutputFolder(argc, argv);
    if (dir.empty()) {
        return 2;
    }
    return WriteFile(dir + "/pelo-on.ico", Icon(&KeyboardPixel))
            && WriteFile(dir + "/pelo-off.ico", Icon(&ProhibitedPixel))
        ? 0
        : 1;
}
