// A 32-bit top-down DIB section selected into a memory DC and filled with one colour, for reading
// back exactly what a paint drew.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

#include <cstdint>

namespace pelo::testing {

class Canvas {
public:
    Canvas(int width, int height, COLORREF fill)
        : m_width(width)
        , m_height(height)
        , m_dc(::CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.reset(::CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<const std::uint32_t*>(bits);
        m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
        RECT all { 0, 0, width, height };
        UniqueHbrush brush(::CreateSolidBrush(fill));
        ::FillRect(m_dc.get(), &all, brush.get());
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { ::SelectObject(m_dc.get(), m_old); }

    [[nodiscard]] HDC dc() const noexcept { return m_dc.get(); }
    [[nodiscard]] COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        const std::uint32_t p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels of exactly this colour inside [x0,x1) x [y0,y1), or on the whole canvas.
    [[nodiscard]] int Count(COLORREF colour, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1 && y < m_height; ++y) {
            for (int x = x0; x < x1 && x < m_width; ++x) {
                n += At(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
    [[nodiscard]] int Count(COLORREF colour) const { return Count(colour, 0, 0, m_width, m_height); }

private:
    int m_width, m_height;
    UniqueHdc m_dc;
    UniqueHbitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
    const std::uint32_t* m_bits = nullptr;
};

} // namespace pelo::testing
