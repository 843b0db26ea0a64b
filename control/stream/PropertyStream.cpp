#include "PropertyStream.h"

#include <algorithm>
#include <cstring>

namespace pelokey::stream {
namespace {

// Lengths come from the stream; text is read in slices so that a huge stated length costs
// memory only as far as bytes are really there.
constexpr std::size_t ReadSlice = 4096;

bool ReadU8(ByteReader& r, std::uint8_t& v)
{
    return r.Read(&v, 1);
}
bool ReadU16(ByteReader& r, std::uint16_t& v)
{
    std::uint8_t b[2];
    if (!r.Read(b, 2)) {
        return false;
    }
    v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}
bool ReadU32(ByteReader& r, std::uint32_t& v)
{
    std::uint8_t b[4];
    if (!r.Read(b, 4)) {
        return false;
    }
    v = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8)
        | (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}
bool ReadI32(ByteReader& r, std::int32_t& v)
{
    std::uint32_t u;
    if (!ReadU32(r, u)) {
        return false;
    }
    v = static_cast<std::int32_t>(u);
    return true;
}

bool WriteU8(ByteWriter& w, std::uint8_t v)
{
    return w.Write(&v, 1);
}
bool WriteU16(ByteWriter& w, std::uint16_t v)
{
    const std::uint8_t b[2] = { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8) };
    return w.Write(b, 2);
}
bool WriteU32(ByteWriter& w, std::uint32_t v)
{
    const std::uint8_t b[4] = { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24) };
    return w.Write(b, 4);
}

// A BOOL is stored as one byte; the whole field is cleared first, then that byte is its low byte.
bool ReadBoolByte(ByteReader& r, std::int32_t& field)
{
    field = 0;
    std::uint8_t b;
    if (!ReadU8(r, b)) {
        return false;
    }
    field = b;
    return true;
}

// The length forms shared by 8-bit and UTF-16 strings, after the first byte has been read.
enum class LengthResult { Length, UnicodeMarker, Fail };
LengthResult ReadLengthTail(ByteReader& r, std::uint8_t first, bool allowMarker, std::uint32_t& length)
{
    if (first < 0xFF) {
        length = first;
        return LengthResult::Length;
    }
    std::uint16_t w;
    if (!ReadU16(r, w)) {
        return LengthResult::Fail;
    }
    if (w == 0xFFFE && allowMarker) {
        return LengthResult::UnicodeMarker;
    }
    if (w < 0xFFFF) {
        length = w;
        return LengthResult::Length;
    }
    std::uint32_t d;
    if (!ReadU32(r, d) || d == 0xFFFFFFFFu) {
        // 0xFFFFFFFF announces a 64-bit length, far beyond anything a key stores.
        return LengthResult::Fail;
    }
    length = d;
    return LengthResult::Length;
}

bool ReadUtf16(ByteReader& r, std::uint32_t units, std::u16string& out)
{
    std::u16string text;
    std::uint8_t buf[ReadSlice * 2];
    std::size_t left = units;
    while (left > 0) {
        const std::size_t n = std::min(left, ReadSlice);
        if (!r.Read(buf, n * 2)) {
            return false;
        }
        for (std::size_t i = 0; i < n; ++i) {
            text.push_back(static_cast<char16_t>(buf[2 * i] | (buf[2 * i + 1] << 8)));
        }
        left -= n;
    }
    out = std::move(text);
    return true;
}

std::u16string WidenBytes(const char* bytes, std::size_t n)
{
    std::u16string s;
    s.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i])));
    }
    return s;
}

bool ReadBytes(ByteReader& r, std::uint32_t count, std::string& out)
{
    std::string bytes;
    char buf[ReadSlice];
    std::size_t left = count;
    while (left > 0) {
        const std::size_t n = std::min(left, ReadSlice);
        if (!r.Read(buf, n)) {
            return false;
        }
        bytes.append(buf, n);
        left -= n;
    }
    out = std::move(bytes);
    return true;
}

} // namespace

bool ReadArchivedString(ByteReader& r, std::u16string& out, CodePageDecoder decoder)
{
    std::uint8_t first;
    if (!ReadU8(r, first)) {
        return false;
    }
    std::uint32_t length = 0;
    switch (ReadLengthTail(r, first, true, length)) {
    case LengthResult::Fail:
        return false;
    case LengthResult::Length: {
        std::string bytes;
        if (!ReadBytes(r, length, bytes)) {
            return false;
        }
        out = decoder ? decoder(bytes.data(), bytes.size()) : WidenBytes(bytes.data(), bytes.size());
        return true;
    }
    case LengthResult::UnicodeMarker:
        break;
    }
    if (!ReadU8(r, first) || ReadLengthTail(r, first, false, length) != LengthResult::Length) {
        return false;
    }
    return ReadUtf16(r, length, out);
}

bool WriteArchivedString(ByteWriter& w, const std::u16string& s)
{
    if (s.size() > 0xFFFFFFFEu) {
        return false;
    }
    const auto length = static_cast<std::uint32_t>(s.size());
    bool ok = WriteU8(w, 0xFF) && WriteU16(w, 0xFFFE);
    if (length <= 254) {
        ok = ok && WriteU8(w, static_cast<std::uint8_t>(length));
    } else if (length <= 0xFFFD) {
        ok = ok && WriteU8(w, 0xFF) && WriteU16(w, static_cast<std::uint16_t>(length));
    } else {
        ok = ok && WriteU8(w, 0xFF) && WriteU16(w, 0xFFFF) && WriteU32(w, length);
    }
    std::uint8_t buf[ReadSlice * 2];
    std::size_t done = 0;
    while (ok && done < s.size()) {
        const std::size_t n = std::min(s.size() - done, ReadSlice);
        for (std::size_t i = 0; i < n; ++i) {
            buf[2 * i] = static_cast<std::uint8_t>(s[done + i]);
            buf[2 * i + 1] = static_cast<std::uint8_t>(s[done + i] >> 8);
        }
        ok = w.Write(buf, n * 2);
        done += n;
    }
    return ok;
}

bool ReadKeyProps(ByteReader& r, KeyProps& p, CodePageDecoder decoder)
{
    std::uint16_t style;
    if (!ReadU32(r, p.version) || !ReadI32(r, p.extentX) || !ReadI32(r, p.extentY)
        || !ReadU32(r, p.stockProps) || !ReadBoolByte(r, p.bSendMsg) || !ReadBoolByte(r, p.bInConfigDlg)
        || !ReadBoolByte(r, p.bShift) || !ReadU16(r, style)) {
        return false;
    }
    p.nKeyStyle = static_cast<std::int16_t>(style);
    return ReadArchivedString(r, p.strKeyChar, decoder) && ReadArchivedString(r, p.strKeyString, decoder);
}

bool WriteKeyProps(ByteWriter& w, const KeyProps& p)
{
    return WriteU32(w, CurrentVersion) && WriteU32(w, static_cast<std::uint32_t>(p.extentX))
        && WriteU32(w, static_cast<std::uint32_t>(p.extentY)) && WriteU32(w, 0)
        && WriteU8(w, static_cast<std::uint8_t>(p.bSendMsg))
        && WriteU8(w, static_cast<std::uint8_t>(p.bInConfigDlg))
        && WriteU8(w, static_cast<std::uint8_t>(p.bShift))
        && WriteU16(w, static_cast<std::uint16_t>(p.nKeyStyle)) && WriteArchivedString(w, p.strKeyChar)
        && WriteArchivedString(w, p.strKeyString);
}

bool ReadFontHeader(ByteReader& r, FontMarker& marker, std::uint8_t clsid[16])
{
    std::uint8_t b;
    if (!ReadU8(r, b)) {
        return false;
    }
    if (b == FontMarkerDefault) {
        marker = FontMarker::Default;
        return true;
    }
    std::uint8_t id[16];
    if (!r.Read(id, sizeof id)) {
        return false;
    }
    std::memcpy(clsid, id, sizeof id);
    marker = FontMarker::FontObject;
    return true;
}

bool WriteFontHeader(ByteWriter& w, FontMarker marker)
{
    if (marker == FontMarker::Default) {
        return WriteU8(w, FontMarkerDefault);
    }
    return WriteU8(w, FontMarkerObject) && w.Write(StdFontClsidBytes, sizeof StdFontClsidBytes);
}

bool ReadStdFontData(ByteReader& r, StdFontData& f)
{
    std::uint8_t faceLength;
    if (!ReadU8(r, f.version) || f.version != 1 || !ReadU16(r, f.charset) || !ReadU8(r, f.flags)
        || !ReadU16(r, f.weight) || !ReadU32(r, f.sizeCy) || !ReadU8(r, faceLength)) {
        return false;
    }
    return ReadBytes(r, faceLength, f.faceName);
}

bool SkipStdFontData(ByteReader& r)
{
    std::uint8_t fixed[10]; // version, character set, style flags, weight, size
    std::uint8_t faceLength;
    std::string face;
    return r.Read(fixed, sizeof fixed) && ReadU8(r, faceLength) && ReadBytes(r, faceLength, face);
}

bool WriteStdFontData(ByteWriter& w, const StdFontData& f)
{
    if (f.faceName.size() > 0xFF) {
        return false;
    }
    return WriteU8(w, f.version) && WriteU16(w, f.charset) && WriteU8(w, f.flags) && WriteU16(w, f.weight)
        && WriteU32(w, f.sizeCy) && WriteU8(w, static_cast<std::uint8_t>(f.faceName.size()))
        && w.Write(f.faceName.data(), f.faceName.size());
}

bool MemoryReader::Read(void* dst, std::size_t n)
{
    if (n > m_size - m_pos) {
        return false;
    }
    if (n > 0) {
        std::memcpy(dst, m_data + m_pos, n);
    }
    m_pos += n;
    return true;
}

bool MemoryWriter::Write(const void* src, std::size_t n)
{
    const auto* p = static_cast<const std::uint8_t*>(src);
    m_bytes.insert(m_bytes.end(), p, p + n);
    return true;
}

} // namespace pelokey::stream
