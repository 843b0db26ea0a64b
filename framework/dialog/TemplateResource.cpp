// Dialog template resources: found in their module, and read for their size and font.
#include "DialogInternal.h"

#include <cstring>

namespace pelo::dialog {

const void* FindDialogTemplate(HINSTANCE module, UINT templateId, DWORD& size) noexcept
{
    const HRSRC resource
        = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5)); // RT_DIALOG
    const HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    size = data ? ::SizeofResource(module, resource) : 0;
    return data;
}

namespace {

class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool Word(WORD& v) { return Bytes(&v, 2); }
    bool Dword(DWORD& v) { return Bytes(&v, 4); }
    bool Byte(BYTE& v) { return Bytes(&v, 1); }
    bool String(std::wstring& s)
    {
        s.clear();
        for (WORD c; Word(c);) {
            if (c == 0) {
                return true;
            }
            s.push_back(static_cast<wchar_t>(c));
        }
        return false;
    }
    // A menu or class field: nothing, an ordinal, or a string.
    bool NameOrOrdinal()
    {
        WORD first;
        if (!Word(first)) {
            return false;
        }
        if (first == 0) {
            return true;
        }
        if (first == 0xFFFF) {
            return Word(first);
        }
        std::wstring rest;
        return String(rest);
    }

private:
    bool Bytes(void* dst, DWORD n)
    {
        if (n > m_size - m_pos) {
            return false;
        }
        memcpy(dst, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    const BYTE* m_data;
    DWORD m_size;
    DWORD m_pos = 0;
};

} // namespace

bool ReadDialogTemplate(HINSTANCE module, UINT templateId, TemplateInfo& info)
{
    DWORD size = 0;
    const auto* data = static_cast<const BYTE*>(FindDialogTemplate(module, templateId, size));
    if (!data) {
        return false;
    }
    TemplateReader r(data, size);
    WORD version = 0, signature = 0, count = 0;
    DWORD style = 0, exStyle = 0, help = 0;
    if (!r.Word(version) || !r.Word(signature)) {
        return false;
    }
    const bool extended = version == 1 && signature == 0xFFFF;
    if (extended) {
        if (!r.Dword(help) || !r.Dword(exStyle) || !r.Dword(style)) {
            return false;
        }
    } else {
        style = MAKELONG(version, signature);
        if (!r.Dword(exStyle)) {
            return false;
        }
    }
    WORD x, y, cx, cy;
    std::wstring title;
    if (!r.Word(count) || !r.Word(x) || !r.Word(y) || !r.Word(cx) || !r.Word(cy) || !r.NameOrOrdinal()
        || !r.NameOrOrdinal() || !r.String(title)) {
        return false;
    }
    info.child = (style & WS_CHILD) != 0;
    info.cx = static_cast<short>(cx);
    info.cy = static_cast<short>(cy);
    info.pointSize = 0;
    info.faceName.clear();
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        WORD points = 0, weight = 0;
        BYTE italic = 0, charset = 0;
        if (!r.Word(points) || (extended && (!r.Word(weight) || !r.Byte(italic) || !r.Byte(charset)))
            || !r.String(info.faceName)) {
            return false;
        }
        info.pointSize = points;
    }
    return true;
}

bool DialogTemplatePixelSize(HINSTANCE module, UINT templateId, SIZE& size)
{
    TemplateInfo info;
    if (!ReadDialogTemplate(module, templateId, info)) {
        return false;
    }
    int baseX = LOWORD(::GetDialogBaseUnits()), baseY = HIWORD(::GetDialogBaseUnits());
    if (info.pointSize > 0) {
        UniqueHdc dc(::CreateCompatibleDC(nullptr));
        const int height = -::MulDiv(info.pointSize, ::GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
        UniqueHfont font(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
            0, 0, info.faceName.c_str()));
        SelectGuard select(dc.get(), font.get());
        TEXTMETRICW tm {};
        SIZE extent {};
        static constexpr wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (::GetTextMetricsW(dc.get(), &tm) && ::GetTextExtentPoint32W(dc.get(), alphabet, 52, &extent)) {
            baseX = (extent.cx / 26 + 1) / 2;
            baseY = tm.tmHeight;
        }
    }
    size.cx = ::MulDiv(info.cx, baseX, 4);
    size.cy = ::MulDiv(info.cy, baseY, 8);
    return true;
}

} // namespace pelo::dialog
