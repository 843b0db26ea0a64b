#include "ResourceImages.h"

#include "../../tools/WriteFile.h"

#include <functional>

namespace pelokey::drawing::images {

const bevel::Rgb StandardPalette[16] = {
    { 0, 0, 0 },
    { 128, 0, 0 },
    { 0, 128, 0 },
    { 128, 128, 0 },
    { 0, 0, 128 },
    { 128, 0, 128 },
    { 0, 128, 128 },
    { 192, 192, 192 },
    { 128, 128, 128 },
    { 255, 0, 0 },
    { 0, 255, 0 },
    { 255, 255, 0 },
    { 0, 0, 255 },
    { 255, 0, 255 },
    { 0, 255, 255 },
    { 255, 255, 255 },
};

namespace {

using pelokey::tools::Put16;
using pelokey::tools::Put32;

enum StandardIndex : std::uint8_t { Black = 0, Maroon = 1, Silver = 7, Grey = 8, White = 15 };

// The letter on the key cap, 5 x 7.
constexpr const char* Glyph[7] = {
    "####.",
    "#...#",
    "#...#",
    "####.",
    "#....",
    "#....",
    "#....",
};

using PixelFn = std::function<std::uint8_t(int x, int y)>;

int Stride(int width, int bits)
{
    return (width * bits + 31) / 32 * 4;
}

void PutInfoHeader(Bytes& b, int width, int height, int colours, std::uint32_t imageSize)
{
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1); // planes
    Put16(b, 4); // bits per pixel
    Put32(b, 0); // BI_RGB
    Put32(b, imageSize);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(colours));
    Put32(b, 0);
}

void PutPalette(Bytes& b, const bevel::Rgb* table, int colours)
{
    for (int i = 0; i < colours; ++i) {
        b.insert(b.end(), { table[i].b, table[i].g, table[i].r, 0 });
    }
}

// Rows bottom-up, two pixels a byte, high nibble first.
void PutPixels4(Bytes& b, int width, int height, const PixelFn& pixel)
{
    const int stride = Stride(width, 4);
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(pixel(x, y) & 0x0F);
            row[static_cast<std::size_t>(x / 2)] |= (x % 2 == 0) ? static_cast<std::uint8_t>(v << 4) : v;
        }
        b.insert(b.end(), row.begin(), row.end());
    }
}

Bytes BitmapFile(int width, int height, const bevel::Rgb* table, int colours, const PixelFn& pixel)
{
    const auto imageSize = static_cast<std::uint32_t>(Stride(width, 4) * height);
    const auto offset = static_cast<std::uint32_t>(14 + 40 + 4 * colours);
    Bytes b = { 'B', 'M' };
    Put32(b, offset + imageSize);
    Put32(b, 0);
    Put32(b, offset);
    PutInfoHeader(b, width, height, colours, imageSize);
    PutPalette(b, table, colours);
    PutPixels4(b, width, height, pixel);
    return b;
}

// A key cap filling a size x size square less a transparent margin, with the letter centred.
struct KeyCap {
    int size, margin, scale;

    bool Inside(int x, int y) const
    {
        return x >= margin && y >= margin && x < size - margin && y < size - margin;
    }
    std::uint8_t Pixel(int x, int y) const
    {
        if (!Inside(x, y)) {
            return Black;
        }
        const int side = size - 2 * margin;
        const int gx0 = margin + (side - 5 * scale) / 2;
        const int gy0 = margin + (side - 7 * scale) / 2;
        const int gx = (x - gx0) / scale, gy = (y - gy0) / scale;
        if (x >= gx0 && y >= gy0 && gx < 5 && gy < 7 && Glyph[gy][gx] == '#') {
            return Maroon;
        }
        switch (bevel::PixelAt(x - margin, y - margin, side, side, false)) {
        case bevel::Dark:
            return Black;
        case bevel::Shadow:
            return Grey;
        case bevel::Light:
            return White;
        case bevel::Face:
            break;
        }
        return Silver;
    }
};

void PutIconImage(Bytes& b, const IconImage& image)
{
    const int n = image.size;
    const auto maskSize = static_cast<std::uint32_t>(Stride(n, 1) * n);
    PutInfoHeader(b, n, 2 * n, 16, static_cast<std::uint32_t>(Stride(n, 4) * n) + maskSize);
    PutPalette(b, StandardPalette, 16);
    PutPixels4(b, n, n, image.pixel);
    const int stride = Stride(n, 1);
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < n; ++x) {
            if (image.transparent(x, y)) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
}

std::uint32_t IconImageSize(int n)
{
    return static_cast<std::uint32_t>(40 + 16 * 4 + Stride(n, 4) * n + Stride(n, 1) * n);
}

} // namespace

Bytes FaceBitmapFile(const bevel::FaceBitmap& face)
{
    bevel::Rgb table[16] = {};
    for (int i = 0; i < 16; ++i) {
        table[i] = i < 4 ? bevel::Palette[i] : StandardPalette[i];
    }
    return BitmapFile(face.width, face.height, table, face.colourTableSize,
        [&](int x, int y) { return bevel::PixelAt(x, y, face.width, face.height, face.pressed); });
}

Bytes ToolboxBitmapFile()
{
    const KeyCap cap { 16, 1, 1 };
    return BitmapFile(16, 16, StandardPalette, 16, [&](int x, int y) { return cap.Pixel(x, y); });
}

Bytes IconFileOf(const std::vector<IconImage>& images)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, 1); // icon
    Put16(b, static_cast<std::uint32_t>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IconImage& image : images) {
        b.insert(
            b.end(), { static_cast<std::uint8_t>(image.size), static_cast<std::uint8_t>(image.size), 16, 0 });
        Put16(b, 1);
        Put16(b, 4);
        Put32(b, IconImageSize(image.size));
        Put32(b, offset);
        offset += IconImageSize(image.size);
    }
    for (const IconImage& image : images) {
        PutIconImage(b, image);
    }
    return b;
}

Bytes IconFile()
{
    const KeyCap caps[2] = { { 32, 1, 3 }, { 16, 1, 1 } };
    std::vector<IconImage> images;
    for (const KeyCap& cap : caps) {
        images.push_back({ cap.size, [cap](int x, int y) { return cap.Pixel(x, y); },
            [cap](int x, int y) { return !cap.Inside(x, y); } });
    }
    return IconFileOf(images);
}

} // namespace pelokey::drawing::images
