#include "ResourceImages.h"

#include <gtest/gtest.h>

#include <set>

using namespace pelokey::drawing;
using images::Bytes;

namespace {

std::uint32_t U16(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t U32(const Bytes& b, std::size_t at)
{
    return U16(b, at) | (U16(b, at + 2) << 16);
}

// A 4-bit device-independent bitmap read back from its header onwards.
struct Dib {
    int width = 0, height = 0, bits = 0, colours = 0;
    std::vector<bevel::Rgb> palette;
    std::size_t pixelsAt = 0;
    const Bytes* bytes = nullptr;

    static Dib Parse(const Bytes& b, std::size_t header, int heightDivisor = 1)
    {
        Dib d;
        d.bytes = &b;
        EXPECT_EQ(U32(b, header), 40u);
        d.width = static_cast<int>(U32(b, header + 4));
        d.height = static_cast<int>(U32(b, header + 8)) / heightDivisor;
        EXPECT_EQ(U16(b, header + 12), 1u);
        d.bits = static_cast<int>(U16(b, header + 14));
        EXPECT_EQ(U32(b, header + 16), 0u) << "uncompressed";
        d.colours = static_cast<int>(U32(b, header + 32));
        for (int i = 0; i < d.colours; ++i) {
            const std::size_t at = header + 40 + 4 * static_cast<std::size_t>(i);
            d.palette.push_back({ b.at(at + 2), b.at(at + 1), b.at(at) });
        }
        d.pixelsAt = header + 40 + 4 * static_cast<std::size_t>(d.colours);
        return d;
    }
    int Stride() const { return (width * bits + 31) / 32 * 4; }
    int Index(int x, int y) const
    {
        const std::size_t row = pixelsAt + static_cast<std::size_t>(Stride() * (height - 1 - y));
        const std::uint8_t byte = bytes->at(row + static_cast<std::size_t>(x / 2));
        return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
    }
    // The colour table entry of a pixel, as (r,g,b) packed for readable comparisons.
    std::uint32_t Rgb(int x, int y) const
    {
        const bevel::Rgb& c = palette.at(static_cast<std::size_t>(Index(x, y)));
        return (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b;
    }
};

constexpr std::uint32_t Dark = 0x444244, Face = 0xD4D2CC, Shadow = 0x848284, Light = 0xFCFEFC;

struct Sample {
    const char* row;
    int x, y; // negative: counted from the right or bottom edge (-1 is the last)
    std::uint32_t raised, pressed;
};

// The bevel table, row by row, sampled at the ends of each run.
const Sample BevelSamples[] = {
    { "top row", 0, 0, Face, Shadow },
    { "top row", -2, 0, Face, Shadow },
    { "right column", -1, 0, Dark, Light },
    { "right column", -1, 14, Dark, Light },
    { "right column", -1, -1, Dark, Light },
    { "bottom row", 0, -1, Dark, Light },
    { "bottom row", 20, -1, Dark, Light },
    { "left column", 0, 1, Face, Shadow },
    { "left column", 0, -2, Face, Shadow },
    { "second row", 1, 1, Light, Dark },
    { "second row", -3, 1, Light, Dark },
    { "second row end", -2, 1, Shadow, Face },
    { "second column", 1, 2, Light, Dark },
    { "second column", 1, -3, Light, Dark },
    { "second-to-last column", -2, 2, Shadow, Face },
    { "second-to-last column", -2, -2, Shadow, Face },
    { "second-to-last row", 1, -2, Shadow, Face },
    { "second-to-last row", -3, -2, Shadow, Face },
    { "inside", 2, 2, Face, Face },
    { "inside", -3, -3, Face, Face },
    { "inside", 10, 12, Face, Face },
};

} // namespace

TEST(ResourceImages, FaceBitmaps_HeadersAndColourTables_AsDocumented)
{
    const struct {
        int id, width, colours;
    } expected[] = { { 201, 29, 4 }, { 202, 29, 4 }, { 205, 87, 16 }, { 206, 87, 16 } };
    for (const auto& e : expected) {
        const bevel::FaceBitmap* face = nullptr;
        for (const auto& f : bevel::FaceBitmaps) {
            face = f.id == e.id ? &f : face;
        }
        ASSERT_NE(face, nullptr) << e.id;
        const Bytes file = images::FaceBitmapFile(*face);
        ASSERT_EQ(file.at(0), 'B');
        ASSERT_EQ(file.at(1), 'M');
        EXPECT_EQ(U32(file, 2), file.size());
        const Dib dib = Dib::Parse(file, 14);
        EXPECT_EQ(U32(file, 10), dib.pixelsAt);
        EXPECT_EQ(dib.width, e.width) << e.id;
        EXPECT_EQ(dib.height, 29) << e.id;
        EXPECT_EQ(dib.bits, 4) << e.id;
        EXPECT_EQ(dib.colours, e.colours) << e.id;
        EXPECT_EQ(file.size(), dib.pixelsAt + static_cast<std::size_t>(dib.Stride() * 29)) << e.id;
        const std::uint32_t order[4] = { Dark, Face, Shadow, Light };
        for (int i = 0; i < 4; ++i) {
            const bevel::Rgb& c = dib.palette.at(static_cast<std::size_t>(i));
            EXPECT_EQ((static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b, order[i]) << e.id;
        }
        std::set<int> used;
        for (int y = 0; y < dib.height; ++y) {
            for (int x = 0; x < dib.width; ++x) {
                used.insert(dib.Index(x, y));
            }
        }
        EXPECT_EQ(used, (std::set<int> { 0, 1, 2, 3 })) << e.id;
    }
}

TEST(ResourceImages, FaceBitmaps_BevelPixels_FollowTable)
{
    for (const auto& face : bevel::FaceBitmaps) {
        const Bytes file = images::FaceBitmapFile(face);
        const Dib dib = Dib::Parse(file, 14);
        for (const Sample& s : BevelSamples) {
            const int x = s.x < 0 ? dib.width + s.x : s.x;
            const int y = s.y < 0 ? dib.height + s.y : s.y;
            EXPECT_EQ(dib.Rgb(x, y), face.pressed ? s.pressed : s.raised)
                << face.id << " " << s.row << " (" << x << "," << y << ")";
        }
        // Count of face-coloured pixels: the whole inside, plus the outer lit edges when raised.
        int faceCount = 0;
        for (int y = 0; y < dib.height; ++y) {
            for (int x = 0; x < dib.width; ++x) {
                faceCount += dib.Rgb(x, y) == Face;
            }
        }
        const int w = dib.width, h = dib.height;
        const int inside = (w - 4) * (h - 4);
        const int expected = face.pressed ? inside + (h - 3) + 1 + (w - 3) // second-to-last row/column
                                          : inside + (w - 1) + (h - 2); // top row, left column
        EXPECT_EQ(faceCount, expected) << face.id;
    }
}

TEST(ResourceImages, Toolbox_SixteenBySixteen_KeyCapOnSixteenColours)
{
    const Bytes file = images::ToolboxBitmapFile();
    const Dib dib = Dib::Parse(file, 14);
    EXPECT_EQ(dib.width, 16);
    EXPECT_EQ(dib.height, 16);
    EXPECT_EQ(dib.bits, 4);
    EXPECT_EQ(dib.colours, 16);
    EXPECT_EQ(dib.Rgb(1, 1), 0xC0C0C0u) << "lit edge of the cap";
    EXPECT_EQ(dib.Rgb(14, 8), 0x000000u) << "dark right edge";
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            colours.insert(dib.Rgb(x, y));
        }
    }
    EXPECT_TRUE(colours.count(0x800000u)) << "the letter";
}

TEST(ResourceImages, Icon_TwoSixteenColourImages_WithTransparentMargin)
{
    const Bytes file = images::IconFile();
    EXPECT_EQ(U16(file, 0), 0u);
    EXPECT_EQ(U16(file, 2), 1u);
    ASSERT_EQ(U16(file, 4), 2u);
    const int sizes[2] = { 32, 16 };
    for (int i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const int n = sizes[i];
        EXPECT_EQ(file.at(entry), n);
        EXPECT_EQ(file.at(entry + 1), n);
        EXPECT_EQ(file.at(entry + 2), 16);
        EXPECT_EQ(U16(file, entry + 6), 4u);
        const std::size_t size = U32(file, entry + 8);
        const std::size_t offset = U32(file, entry + 12);
        ASSERT_LE(offset + size, file.size());
        const Dib dib = Dib::Parse(file, offset, 2);
        EXPECT_EQ(dib.width, n);
        EXPECT_EQ(dib.height, n);
        EXPECT_EQ(dib.colours, 16);
        const std::size_t maskAt = dib.pixelsAt + static_cast<std::size_t>(dib.Stride() * n);
        const int maskStride = (n + 31) / 32 * 4;
        EXPECT_EQ(maskAt + static_cast<std::size_t>(maskStride * n), offset + size);
        auto transparent = [&](int x, int y) {
            const std::uint8_t byte
                = file.at(maskAt + static_cast<std::size_t>(maskStride * (n - 1 - y) + x / 8));
            return (byte & (0x80 >> (x % 8))) != 0;
        };
        EXPECT_TRUE(transparent(0, 0));
        EXPECT_TRUE(transparent(n - 1, n - 1));
        EXPECT_FALSE(transparent(1, 1));
        EXPECT_FALSE(transparent(n / 2, n / 2));
        EXPECT_EQ(dib.Rgb(0, 0), 0u) << "transparent pixels are black in the colour image";
    }
}
