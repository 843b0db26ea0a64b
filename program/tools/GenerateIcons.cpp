// Build-host generator of the program's two icons, 16 x 16 and 32 x 32 with 16 colours:
// 128, a small keyboard (white keys on blue with one wide yellow key), and 129, the same
// keyboard under a red prohibition sign.
//   GenerateIcons OUTPUT_DIR   (writes pelo-on.ico and pelo-off.ico)
#include "WriteFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using pelokey::tools::WriteFile;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The system's 16-colour table (blue, green, red, reserved).
constexpr std::uint8_t kPalette[16][3] = {
    { 0, 0, 0 },
    { 0, 0, 128 },
    { 0, 128, 0 },
    { 0, 128, 128 },
    { 128, 0, 0 },
    { 128, 0, 128 },
    { 128, 128, 0 },
    { 192, 192, 192 },
    { 128, 128, 128 },
    { 0, 0, 255 },
    { 0, 255, 0 },
    { 0, 255, 255 },
    { 255, 0, 0 },
    { 255, 0, 255 },
    { 255, 255, 0 },
    { 255, 255, 255 },
};
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

void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

int Stride(int width, int bits)
{
    return (width * bits + 31) / 32 * 4;
}

std::uint32_t ImageSize(int n)
{
    return static_cast<std::uint32_t>(40 + 16 * 4 + Stride(n, 4) * n + Stride(n, 1) * n);
}

using PixelFn = std::uint8_t (*)(int x, int y, int scale);

// One icon image: header, colour table, 4-bit colour rows and the transparency mask, bottom-up.
void PutImage(Bytes& b, int n, PixelFn pixel)
{
    const int scale = n / 16;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(n));
    Put32(b, static_cast<std::uint32_t>(2 * n));
    Put16(b, 1);
    Put16(b, 4);
    Put32(b, 0);
    Put32(b, ImageSize(n) - 40 - 16 * 4);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 16);
    Put32(b, 0);
    for (const auto& c : kPalette) {
        b.insert(b.end(), { c[0], c[1], c[2], 0 });
    }
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(Stride(n, 4)), 0);
        for (int x = 0; x < n; ++x) {
            const std::uint8_t v = pixel(x, y, scale);
            row[static_cast<std::size_t>(x / 2)] |= x % 2 == 0 ? static_cast<std::uint8_t>(v << 4) : v;
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(Stride(n, 1)), 0);
        for (int x = 0; x < n; ++x) {
            if (pixel(x, y, scale) == Transparent) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
}

Bytes IconFile(PixelFn pixel)
{
    constexpr int sizes[2] = { 32, 16 };
    Bytes b;
    Put16(b, 0);
    Put16(b, 1); // icon
    Put16(b, 2);
    std::uint32_t offset = 6 + 2 * 16;
    for (int n : sizes) {
        b.insert(b.end(), { static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n), 16, 0 });
        Put16(b, 1);
        Put16(b, 4);
        Put32(b, ImageSize(n));
        Put32(b, offset);
        offset += ImageSize(n);
    }
    for (int n : sizes) {
        PutImage(b, n, pixel);
    }
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return WriteFile(dir + "/pelo-on.ico", IconFile(&KeyboardPixel))
            && WriteFile(dir + "/pelo-off.ico", IconFile(&ProhibitedPixel))
        ? 0
        : 1;
}
