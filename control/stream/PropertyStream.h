// The key button's persisted property stream: version, extents, the six properties as archived
// values, and the font marker; plus a model of the standard font object's own persisted form.
// Plain C++ so that the codec is tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelokey::stream {

struct ByteReader {
    virtual ~ByteReader() = default;
    // False when fewer than n bytes remain (nothing partial is promised).
    virtual bool Read(void* dst, std::size_t n) = 0;
};

struct ByteWriter {
    virtual ~ByteWriter() = default;
    virtual bool Write(const void* src, std::size_t n) = 0;
};

struct KeyProps {
    std::uint32_t version = 0x00010000;
    std::int32_t extentX = 0, extentY = 0;
    std::uint32_t stockProps = 0;
    std::int32_t bSendMsg = 1, bInConfigDlg = 0, bShift = 0;
    std::int16_t nKeyStyle = 1;
    std::u16string strKeyChar = u"Q", strKeyString = u"Enter";
};

// Converts 8-bit legacy text (the system code page) to UTF-16.
using CodePageDecoder = std::u16string (*)(const char* bytes, std::size_t n);

inline constexpr std::uint32_t CurrentVersion = 0x00010000;

// Reads version .. strKeyString in stream order; fields read before a failure keep what was read.
// A null decoder widens each byte to one unit.
bool ReadKeyProps(ByteReader&, KeyProps&, CodePageDecoder);
// Always writes the current version, _StockProps 0 and UTF-16 strings.
bool WriteKeyProps(ByteWriter&, const KeyProps&);

// One archived string. Exposed for the codec's tests and for other archived values.
bool ReadArchivedString(ByteReader&, std::u16string&, CodePageDecoder);
bool WriteArchivedString(ByteWriter&, const std::u16string&);

// FontAll marker: 0xFF no font object; 0x00 then the 16-byte font class identifier.
enum class FontMarker { Default, FontObject };
inline constexpr std::uint8_t FontMarkerDefault = 0xFF;
inline constexpr std::uint8_t FontMarkerObject = 0x00;
// CLSID_StdFont {0BE35203-8F91-11CE-9DE3-00AA004BB851} in its stored byte order.
inline constexpr std::uint8_t StdFontClsidBytes[16]
    = { 0x03, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11, 0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51 };

// Any marker other than 0xFF announces a font object, as the host's loader treats it; the class
// identifier is then read into clsid (left untouched for the default marker).
bool ReadFontHeader(ByteReader&, FontMarker&, std::uint8_t clsid[16]);
// FontObject writes 0x00 and CLSID_StdFont bytes.
bool WriteFontHeader(ByteWriter&, FontMarker);

// The standard font object's persisted form. The control lets the real font object read and
// write its own data; this model serves the tests, the fuzz target and generated templates.
struct StdFontData {
    std::uint8_t version = 1;
    std::uint16_t charset = 0;
    std::uint8_t flags = 0;
    std::uint16_t weight = 400;
    std::uint32_t sizeCy = 82500; // 1/10000 point
    std::string faceName = "MS Sans Serif";
};
// Fails on a version other than 1, as the standard font object does.
bool ReadStdFontData(ByteReader&, StdFontData&);
// Reads past font data laid out as above whatever its version byte; false when it ends early.
bool SkipStdFontData(ByteReader&);
// Fails when the face name is longer than the one-byte length can say.
bool WriteStdFontData(ByteWriter&, const StdFontData&);

class MemoryReader final : public ByteReader {
public:
    MemoryReader(const void* data, std::size_t size) noexcept
        : m_data(static_cast<const std::uint8_t*>(data))
        , m_size(size)
    {
    }
    bool Read(void* dst, std::size_t n) override;
    [[nodiscard]] std::size_t Position() const noexcept { return m_pos; }
    [[nodiscard]] std::size_t Remaining() const noexcept { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

class MemoryWriter final : public ByteWriter {
public:
    bool Write(const void* src, std::size_t n) override;
    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const noexcept { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace pelokey::stream
