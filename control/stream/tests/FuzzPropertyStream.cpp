// Stream bytes in, the whole key stream read as the control reads it.
#include "PropertyStream.h"

#include <cstddef>
#include <cstdint>

using namespace pelokey::stream;

namespace {
std::u16string Decode(const char* bytes, std::size_t n)
{
    std::u16string s;
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | 0x100));
    }
    return s;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryReader r(data, size);
    KeyProps props;
    if (!ReadKeyProps(r, props, Decode)) {
        return 0;
    }
    FontMarker marker {};
    std::uint8_t clsid[16] = {};
    if (!ReadFontHeader(r, marker, clsid) || marker == FontMarker::Default) {
        return 0;
    }
    // Font data the font object refuses is read past instead: both readers agree on where version 1
    // data ends, and on data cut short.
    const std::size_t fontStart = r.Position();
    MemoryReader skip(data + fontStart, size - fontStart);
    const bool skipped = SkipStdFontData(skip);
    StdFontData font;
    if (!ReadStdFontData(r, font)) {
        if (skipped && font.version == 1) {
            __builtin_trap();
        }
        return 0;
    }
    if (!skipped || fontStart + skip.Position() != r.Position()) {
        __builtin_trap();
    }
    // What was read must write back and read again to the same values.
    MemoryWriter w;
    if (!WriteKeyProps(w, props) || !WriteFontHeader(w, marker) || !WriteStdFontData(w, font)) {
        __builtin_trap();
    }
    MemoryReader again(w.Bytes().data(), w.Bytes().size());
    KeyProps props2;
    StdFontData font2;
    FontMarker marker2 {};
    if (!ReadKeyProps(again, props2, nullptr) || !ReadFontHeader(again, marker2, clsid)
        || !ReadStdFontData(again, font2) || props2.strKeyChar != props.strKeyChar
        || props2.strKeyString != props.strKeyString || props2.nKeyStyle != props.nKeyStyle
        || font2.faceName != font.faceName || again.Remaining() != 0) {
        __builtin_trap();
    }
    return 0;
}
