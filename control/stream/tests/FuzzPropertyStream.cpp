// Stream bytes in, the whole key stream read as the control reads it: the properties, the font
// marker and, for the standard font's class, the font data (read, or read past when the font
// object would refuse it). What was read writes back and reads again to the same values, and
// to the very bytes read when those were already in the form the writer gives them.
#include "PropertyStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using namespace pelokey::stream;

namespace {
void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

// 8-bit text becomes units no UTF-16 string of the same bytes gives, so that what was 8-bit
// text can never pass for a string in the written form.
std::u16string Decode(const char* bytes, std::size_t n)
{
    std::u16string s;
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | 0x100));
    }
    return s;
}

// The bytes the writer gives a string: the Unicode marker, the unit count in the shortest form
// that is not the marker itself, the units.
std::vector<std::uint8_t> WrittenForm(const std::u16string& s)
{
    std::vector<std::uint8_t> b { 0xFF, 0xFE, 0xFF };
    const std::size_t n = s.size();
    const auto put = [&b](std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    if (n < 0xFF) {
        put(n, 1);
    } else if (n < 0xFFFE) {
        put(0xFF, 1);
        put(n, 2);
    } else {
        put(0xFFFFFF, 3);
        put(n, 4);
    }
    for (const char16_t u : s) {
        put(u, 2);
    }
    return b;
}

// Whether data[at..] starts with the written form of s; at moves past it.
bool InWrittenForm(const std::uint8_t* data, std::size_t size, std::size_t& at, const std::u16string& s)
{
    const std::vector<std::uint8_t> form = WrittenForm(s);
    if (at > size || form.size() > size - at || !std::equal(form.begin(), form.end(), data + at)) {
        return false;
    }
    at += form.size();
    return true;
}

bool SameProps(const KeyProps& a, const KeyProps& b)
{
    return a.extentX == b.extentX && a.extentY == b.extentY && a.bSendMsg == b.bSendMsg
        && a.bInConfigDlg == b.bInConfigDlg && a.bShift == b.bShift && a.nKeyStyle == b.nKeyStyle
        && a.strKeyChar == b.strKeyChar && a.strKeyString == b.strKeyString;
}

bool SameFont(const StdFontData& a, const StdFontData& b)
{
    return a.version == b.version && a.charset == b.charset && a.flags == b.flags && a.weight == b.weight
        && a.sizeCy == b.sizeCy && a.faceName == b.faceName;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader r(data, size);
    KeyProps props;
    if (!ReadKeyProps(r, props, Decode)) {
        return 0;
    }
    const std::size_t propsEnd = r.Position();
    FontMarker marker {};
    std::uint8_t clsid[16] = {};
    if (!ReadFontHeader(r, marker, clsid)) {
        return 0;
    }
    const bool stdFont = marker == FontMarker::FontObject
        && std::equal(std::begin(clsid), std::end(clsid), std::begin(StdFontClsidBytes));
    StdFontData font;
    bool haveFont = false;
    std::size_t end = r.Position();
    if (stdFont) {
        // Font data the font object refuses is read past instead: both readers agree on where
        // version 1 data ends, and on data cut short.
        const std::size_t fontStart = r.Position();
        MemoryReader skip(data + fontStart, size - fontStart);
        const bool skipped = SkipStdFontData(skip);
        haveFont = ReadStdFontData(r, font);
        Check(!haveFont || (skipped && fontStart + skip.Position() == r.Position()));
        Check(haveFont || !skipped || font.version != 1);
        if (!skipped) {
            return 0; // the load fails
        }
        end = fontStart + skip.Position();
    }

    // Written back as the control saves it: no font data but the one it could read.
    MemoryWriter w;
    Check(WriteKeyProps(w, props)
        && WriteFontHeader(w, haveFont ? FontMarker::FontObject : FontMarker::Default)
        && (!haveFont || WriteStdFontData(w, font)));
    const std::vector<std::uint8_t>& written = w.Bytes();

    MemoryReader again(written.data(), written.size());
    KeyProps props2;
    FontMarker marker2 {};
    std::uint8_t clsid2[16] = {};
    StdFontData font2;
    Check(ReadKeyProps(again, props2, nullptr) && SameProps(props2, props) && props2.version == CurrentVersion
        && props2.stockProps == 0);
    Check(ReadFontHeader(again, marker2, clsid2)
        && marker2 == (haveFont ? FontMarker::FontObject : FontMarker::Default));
    if (haveFont) {
        Check(std::equal(std::begin(clsid2), std::end(clsid2), std::begin(StdFontClsidBytes)));
        Check(ReadStdFontData(again, font2) && SameFont(font2, font));
    }
    Check(again.Remaining() == 0);

    // The same bytes exactly when they were written as the writer writes: the current version,
    // no stock properties, both strings in the Unicode form with the shortest length, the marker
    // 0x00 before font data (the class identifier is the standard font's) or 0xFF without it.
    std::size_t at = 21; // version .. nKeyStyle
    const bool writtenForm = data[0] == 0x00 && data[1] == 0x00 && data[2] == 0x01 && data[3] == 0x00
        && data[12] == 0 && data[13] == 0 && data[14] == 0 && data[15] == 0
        && InWrittenForm(data, size, at, props.strKeyChar)
        && InWrittenForm(data, size, at, props.strKeyString) && at == propsEnd
        && data[propsEnd] == (haveFont ? FontMarkerObject : FontMarkerDefault) && (haveFont || !stdFont);
    const bool same = written.size() == end && std::equal(written.begin(), written.end(), data);
    Check(same == writtenForm);
    return 0;
}
