#include "PropertyStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace pelokey::stream;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The stream of the main window's key "1" as the program's templates hold it, composed from
// the documented layout field by field.
Bytes TemplateKeyStream()
{
    Bytes b = {
        0x00,
        0x00,
        0x01,
        0x00, // version 1.0
        0x69,
        0x03,
        0x00,
        0x00, // _ExtentX 873
        0x69,
        0x03,
        0x00,
        0x00, // _ExtentY 873
        0x00,
        0x00,
        0x00,
        0x00, // _StockProps
        0x01,
        0x00,
        0x00, // bSendMsg, bInConfigDlg, bShift
        0x01,
        0x00, // nKeyStyle
        0xFF,
        0xFE,
        0xFF,
        0x01,
        0x31,
        0x00, // "1"
        0xFF,
        0xFE,
        0xFF,
        0x05,
        'E',
        0,
        'n',
        0,
        't',
        0,
        'e',
        0,
        'r',
        0, // "Enter"
        0x00, // a font object follows
        0x03,
        0x52,
        0xE3,
        0x0B,
        0x91,
        0x8F,
        0xCE,
        0x11,
        0x9D,
        0xE3,
        0x00,
        0xAA,
        0x00,
        0x4B,
        0xB8,
        0x51,
        0x01,
        0x00,
        0x00,
        0x00,
        0x90,
        0x01, // version, charset, flags, weight 400
        0x44,
        0x42,
        0x01,
        0x00, // 82500
        13,
        'M',
        'S',
        ' ',
        'S',
        'a',
        'n',
        's',
        ' ',
        'S',
        'e',
        'r',
        'i',
        'f',
    };
    return b;
}

KeyProps TemplateKeyProps()
{
    KeyProps p;
    p.extentX = p.extentY = 873;
    p.strKeyChar = u"1";
    return p;
}

Bytes WriteWhole(const KeyProps& p, FontMarker marker, const StdFontData& font = {})
{
    MemoryWriter w;
    EXPECT_TRUE(WriteKeyProps(w, p));
    EXPECT_TRUE(WriteFontHeader(w, marker));
    if (marker == FontMarker::FontObject) {
        EXPECT_TRUE(WriteStdFontData(w, font));
    }
    return w.Bytes();
}

struct WholeStream {
    KeyProps props;
    FontMarker marker = FontMarker::Default;
    std::uint8_t clsid[16] = {};
    StdFontData font;
};

bool ReadWhole(const Bytes& bytes, WholeStream& out, CodePageDecoder decoder = nullptr)
{
    MemoryReader r(bytes.data(), bytes.size());
    if (!ReadKeyProps(r, out.props, decoder) || !ReadFontHeader(r, out.marker, out.clsid)) {
        return false;
    }
    if (out.marker == FontMarker::FontObject && !ReadStdFontData(r, out.font)) {
        return false;
    }
    return r.Remaining() == 0;
}

std::u16string ReadString(const Bytes& bytes, CodePageDecoder decoder = nullptr)
{
    MemoryReader r(bytes.data(), bytes.size());
    std::u16string s = u"unchanged";
    EXPECT_TRUE(ReadArchivedString(r, s, decoder));
    EXPECT_EQ(r.Remaining(), 0u);
    return s;
}

// The decoder records what it was handed and marks its output so the test sees it was used.
std::vector<std::string> g_decoded;
std::u16string RecordingDecoder(const char* bytes, std::size_t n)
{
    g_decoded.emplace_back(bytes, n);
    std::u16string s(u"cp:");
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i])));
    }
    return s;
}

// A reader over bytes that remembers the largest single request.
class WatchingReader final : public ByteReader {
public:
    explicit WatchingReader(const Bytes& b)
        : m_inner(b.data(), b.size())
    {
    }
    bool Read(void* dst, std::size_t n) override
    {
        largest = std::max(largest, n);
        return m_inner.Read(dst, n);
    }
    std::size_t largest = 0;

private:
    MemoryReader m_inner;
};

// A writer that accepts only the first `capacity` bytes.
class FullWriter final : public ByteWriter {
public:
    explicit FullWriter(std::size_t capacity)
        : m_left(capacity)
    {
    }
    bool Write(const void*, std::size_t n) override
    {
        if (n > m_left) {
            return false;
        }
        m_left -= n;
        return true;
    }

private:
    std::size_t m_left;
};

} // namespace

TEST(PropertyStream, Write_TemplateKey_Is82BytesExactly)
{
    const Bytes written = WriteWhole(TemplateKeyProps(), FontMarker::FontObject);
    EXPECT_EQ(written.size(), 82u);
    EXPECT_EQ(written, TemplateKeyStream());
}

TEST(PropertyStream, Read_TemplateKey_GivesEveryField)
{
    WholeStream s;
    ASSERT_TRUE(ReadWhole(TemplateKeyStream(), s));
    EXPECT_EQ(s.props.version, 0x00010000u);
    EXPECT_EQ(s.props.extentX, 873);
    EXPECT_EQ(s.props.extentY, 873);
    EXPECT_EQ(s.props.stockProps, 0u);
    EXPECT_EQ(s.props.bSendMsg, 1);
    EXPECT_EQ(s.props.bInConfigDlg, 0);
    EXPECT_EQ(s.props.bShift, 0);
    EXPECT_EQ(s.props.nKeyStyle, 1);
    EXPECT_EQ(s.props.strKeyChar, u"1");
    EXPECT_EQ(s.props.strKeyString, u"Enter");
    EXPECT_EQ(s.marker, FontMarker::FontObject);
    EXPECT_TRUE(std::equal(std::begin(s.clsid), std::end(s.clsid), std::begin(StdFontClsidBytes)));
    EXPECT_EQ(s.font.version, 1);
    EXPECT_EQ(s.font.weight, 400);
    EXPECT_EQ(s.font.sizeCy, 82500u);
    EXPECT_EQ(s.font.faceName, "MS Sans Serif");
}

TEST(PropertyStream, RoundTrip_ShiftAndEditorKeys_KeepEveryValue)
{
    KeyProps shift = TemplateKeyProps();
    shift.extentX = 2619;
    shift.bShift = 1;
    shift.nKeyStyle = 2;
    shift.strKeyChar = u"Q";
    shift.strKeyString = u"Shift";
    KeyProps editor = TemplateKeyProps();
    editor.bInConfigDlg = 1;
    editor.strKeyChar = u"Z";
    editor.extentX = -5;
    StdFontData bold;
    bold.weight = 700;
    bold.flags = 0x02;
    bold.charset = 134;
    bold.faceName = "宋体";

    for (const KeyProps& p : { shift, editor }) {
        WholeStream s;
        ASSERT_TRUE(ReadWhole(WriteWhole(p, FontMarker::FontObject, bold), s));
        EXPECT_EQ(s.props.extentX, p.extentX);
        EXPECT_EQ(s.props.extentY, p.extentY);
        EXPECT_EQ(s.props.bInConfigDlg, p.bInConfigDlg);
        EXPECT_EQ(s.props.bShift, p.bShift);
        EXPECT_EQ(s.props.nKeyStyle, p.nKeyStyle);
        EXPECT_EQ(s.props.strKeyChar, p.strKeyChar);
        EXPECT_EQ(s.props.strKeyString, p.strKeyString);
        EXPECT_EQ(s.font.weight, 700);
        EXPECT_EQ(s.font.flags, 0x02);
        EXPECT_EQ(s.font.charset, 134);
        EXPECT_EQ(s.font.faceName, "宋体");
    }
}

TEST(PropertyStream, Write_AnyVersionAndStockMask_StoresCurrentVersionAndNoStockProps)
{
    KeyProps p = TemplateKeyProps();
    p.version = 0x00020005;
    p.stockProps = 0xFFFFFFFF;
    const Bytes b = WriteWhole(p, FontMarker::Default);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), (Bytes { 0x00, 0x00, 0x01, 0x00 }));
    EXPECT_EQ(Bytes(b.begin() + 12, b.begin() + 16), (Bytes { 0, 0, 0, 0 }));
    EXPECT_EQ(b.back(), 0xFF);
    EXPECT_EQ(b.size(), 82u - 16 - 24);
}

TEST(PropertyStream, Read_OtherVersionAndBoolBytes_KeepsStoredValues)
{
    Bytes b = TemplateKeyStream();
    b[2] = 0x07; // version 7.0: same layout
    b[16] = 0x02;
    b[17] = 0xFF;
    b[18] = 0x80;
    b[19] = 0x03; // nKeyStyle 3 passes through unchecked
    b[20] = 0x80; // ... and as a signed 16-bit value
    WholeStream s;
    s.props.bSendMsg = 0x7FFFFF00; // the whole field is cleared before its byte is read
    ASSERT_TRUE(ReadWhole(b, s));
    EXPECT_EQ(s.props.version, 0x00070000u);
    EXPECT_EQ(s.props.bSendMsg, 2);
    EXPECT_EQ(s.props.bInConfigDlg, 0xFF);
    EXPECT_EQ(s.props.bShift, 0x80);
    EXPECT_EQ(s.props.nKeyStyle, static_cast<std::int16_t>(0x8003));
}

TEST(PropertyStream, ReadString_EightBitForms_GoThroughDecoder)
{
    g_decoded.clear();
    EXPECT_EQ(ReadString({ 0x01, 0x31 }, RecordingDecoder), u"cp:1");
    EXPECT_EQ(ReadString({ 0x00 }, RecordingDecoder), u"cp:");
    // 0xFF then a 16-bit length that is not the UTF-16 marker: still 8-bit text.
    EXPECT_EQ(ReadString({ 0xFF, 0x02, 0x00, 0xB0, 0xA1 }, RecordingDecoder), u"cp:\u00B0\u00A1");
    // 0xFF, 0xFFFF, 32-bit length.
    EXPECT_EQ(ReadString({ 0xFF, 0xFF, 0xFF, 0x03, 0, 0, 0, 'a', 'b', 'c' }, RecordingDecoder), u"cp:abc");
    EXPECT_EQ(g_decoded, (std::vector<std::string> { "1", "", "\xB0\xA1", "abc" }));

    // Without a decoder each byte widens to one unit.
    EXPECT_EQ(ReadString({ 0x02, 'h', 0xE9 }), u"h\u00E9");

    // A whole key stream with 8-bit strings reads the same fields.
    const Bytes whole = TemplateKeyStream();
    Bytes legacy(whole.begin(), whole.begin() + 21);
    legacy.insert(legacy.end(), { 0x01, 'A', 0x05, 'S', 'h', 'i', 'f', 't', 0xFF });
    WholeStream s;
    ASSERT_TRUE(ReadWhole(legacy, s, RecordingDecoder));
    EXPECT_EQ(s.props.strKeyChar, u"cp:A");
    EXPECT_EQ(s.props.strKeyString, u"cp:Shift");
    EXPECT_EQ(s.marker, FontMarker::Default);
}

TEST(PropertyStream, WriteString_LengthForms_ChosenAtTheirLimits)
{
    struct Case {
        std::size_t length;
        Bytes header;
    };
    const Case cases[] = {
        { 0, { 0xFF, 0xFE, 0xFF, 0x00 } },
        { 254, { 0xFF, 0xFE, 0xFF, 0xFE } },
        { 255, { 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00 } },
        { 0xFFFD, { 0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF } },
        { 0xFFFE, { 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00 } },
        { 0x12345, { 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00 } },
    };
    for (const Case& c : cases) {
        std::u16string s(c.length, u'\u4E2D');
        if (!s.empty()) {
            s.back() = u'x';
        }
        MemoryWriter w;
        ASSERT_TRUE(WriteArchivedString(w, s));
        const Bytes& b = w.Bytes();
        ASSERT_EQ(b.size(), c.header.size() + 2 * c.length) << c.length;
        EXPECT_EQ(Bytes(b.begin(), b.begin() + c.header.size()), c.header) << c.length;
        if (c.length > 0) {
            EXPECT_EQ(b[c.header.size()], 0x2D);
            EXPECT_EQ(b[c.header.size() + 1], 0x4E);
            EXPECT_EQ(b[b.size() - 2], 'x');
        }
        EXPECT_EQ(ReadString(b), s) << c.length;
    }
}

TEST(PropertyStream, ReadString_UnicodeMarkerWithLongerForms_ReadsUnits)
{
    EXPECT_EQ(ReadString({ 0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 0x2D, 0x4E }), u"\u4E2D");
    EXPECT_EQ(ReadString({ 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 'z', 0 }), u"z");
}

TEST(PropertyStream, ReadString_HugeStatedLength_FailsWithoutLargeRequests)
{
    const Bytes cases[] = {
        { 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'a', 0 }, // 4G-2 units
        { 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 'b' }, // ~4G 8-bit bytes
        { 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }, // announces a 64-bit length
        { 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0 },
    };
    for (const Bytes& b : cases) {
        WatchingReader r(b);
        std::u16string s = u"kept";
        EXPECT_FALSE(ReadArchivedString(r, s, nullptr));
        EXPECT_EQ(s, u"kept");
        EXPECT_LE(r.largest, 8192u);
    }
}

TEST(PropertyStream, Read_EveryTruncation_FailsAndKeepsFieldsReadBefore)
{
    const Bytes whole = TemplateKeyStream();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + n);
        WholeStream s;
        s.props.extentX = -1;
        s.props.strKeyChar = u"old";
        s.props.strKeyString = u"old";
        EXPECT_FALSE(ReadWhole(cut, s)) << n;
        EXPECT_EQ(s.props.extentX, n >= 8 ? 873 : -1) << n;
        EXPECT_EQ(s.props.strKeyChar, n >= 27 ? u"1" : u"old") << n;
        EXPECT_EQ(s.props.strKeyString, n >= 41 ? u"Enter" : u"old") << n;
    }
}

TEST(PropertyStream, FontHeader_Markers_ReadAsDefaultOrObject)
{
    std::uint8_t clsid[16];
    std::fill(std::begin(clsid), std::end(clsid), 0xAB);
    FontMarker m = FontMarker::FontObject;
    Bytes defaultMarker = { 0xFF, 0x00 };
    MemoryReader r1(defaultMarker.data(), defaultMarker.size());
    ASSERT_TRUE(ReadFontHeader(r1, m, clsid));
    EXPECT_EQ(m, FontMarker::Default);
    EXPECT_EQ(r1.Remaining(), 1u);
    EXPECT_EQ(clsid[0], 0xAB);

    // The loader treats every marker but 0xFF as "a font object follows".
    for (std::uint8_t marker : { 0x00, 0x01, 0xFE }) {
        Bytes b = { marker };
        for (int i = 0; i < 16; ++i) {
            b.push_back(static_cast<std::uint8_t>(i));
        }
        MemoryReader r(b.data(), b.size());
        ASSERT_TRUE(ReadFontHeader(r, m, clsid));
        EXPECT_EQ(m, FontMarker::FontObject);
        EXPECT_EQ(clsid[15], 15);
    }
}

TEST(PropertyStream, StdFontData_BadVersionOrLongFace_Fails)
{
    const Bytes whole = TemplateKeyStream();
    Bytes b(whole.end() - 24, whole.end());
    b[0] = 2;
    MemoryReader r(b.data(), b.size());
    StdFontData f;
    EXPECT_FALSE(ReadStdFontData(r, f));

    StdFontData longFace;
    longFace.faceName.assign(256, 'x');
    MemoryWriter w;
    EXPECT_FALSE(WriteStdFontData(w, longFace));
    longFace.faceName.resize(255);
    EXPECT_TRUE(WriteStdFontData(w, longFace));
    EXPECT_EQ(w.Bytes().size(), 11u + 255);
}

TEST(PropertyStream, SkipStdFontData_AnyVersion_StopsAfterTheFace_ShortFails)
{
    const Bytes whole = TemplateKeyStream();
    Bytes b(whole.end() - 24, whole.end());
    b[0] = 7;
    b.push_back(0xAB);
    MemoryReader r(b.data(), b.size());
    ASSERT_TRUE(SkipStdFontData(r));
    EXPECT_EQ(r.Position(), 24u);
    for (std::size_t n = 0; n < 24; ++n) {
        MemoryReader cut(b.data(), n);
        EXPECT_FALSE(SkipStdFontData(cut)) << "cut at " << n;
    }
}

TEST(PropertyStream, Write_WriterFull_ReportsFailureAtEveryPoint)
{
    const KeyProps p = TemplateKeyProps();
    for (std::size_t capacity = 0; capacity < 58; ++capacity) {
        FullWriter w(capacity);
        const bool ok = WriteKeyProps(w, p) && WriteFontHeader(w, FontMarker::FontObject);
        EXPECT_FALSE(ok) << capacity;
    }
    FullWriter w(58);
    EXPECT_TRUE(WriteKeyProps(w, p) && WriteFontHeader(w, FontMarker::FontObject));
}
