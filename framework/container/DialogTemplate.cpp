#include "framework/container/DialogTemplate.h"

#include <cstring>

namespace pelo::container {
namespace {

constexpr std::uint32_t SetFontStyle = 0x40; // DS_SETFONT (DS_SHELLFONT includes it)

class Reader {
public:
    Reader(const void* data, std::size_t size) noexcept
        : m_data(static_cast<const std::uint8_t*>(data))
        , m_size(data ? size : 0)
    {
    }
    [[nodiscard]] std::size_t Position() const noexcept { return m_pos; }
    [[nodiscard]] const std::uint8_t* At(std::size_t pos) const noexcept { return m_data + pos; }
    [[nodiscard]] bool AtEnd() const noexcept { return m_pos == m_size; }

    bool Skip(std::size_t n) noexcept
    {
        if (n > m_size - m_pos) {
            return false;
        }
        m_pos += n;
        return true;
    }
    bool Word(std::uint16_t& v) noexcept { return Bytes(&v, 2); }
    bool Dword(std::uint32_t& v) noexcept { return Bytes(&v, 4); }
    // Items start on a 4-byte boundary from the template's start.
    bool Align4() noexcept { return Skip((4 - m_pos % 4) % 4); }
    bool String(std::u16string& s)
    {
        s.clear();
        for (std::uint16_t c = 0; Word(c);) {
            if (c == 0) {
                return true;
            }
            s.push_back(static_cast<char16_t>(c));
        }
        return false;
    }
    // A menu, class or title field: nothing, 0xFFFF and an ordinal, or a string.
    bool Field(std::u16string& text, bool& ordinal)
    {
        text.clear();
        ordinal = false;
        std::uint16_t first = 0;
        if (!Word(first)) {
            return false;
        }
        if (first == 0) {
            return true;
        }
        if (first == 0xFFFF) {
            ordinal = true;
            return Skip(2);
        }
        text.push_back(static_cast<char16_t>(first));
        std::u16string rest;
        if (!String(rest)) {
            return false;
        }
        text += rest;
        return true;
    }

private:
    bool Bytes(void* dst, std::size_t n) noexcept
    {
        if (n > m_size - m_pos) {
            return false;
        }
        std::memcpy(dst, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

class Writer {
public:
    explicit Writer(std::vector<std::uint8_t>& out) noexcept
        : m_out(out)
    {
    }
    void Bytes(const std::uint8_t* p, std::size_t n) { m_out.insert(m_out.end(), p, p + n); }
    void Word(std::uint16_t v) { Bytes(reinterpret_cast<const std::uint8_t*>(&v), 2); }
    void String(const std::u16string& s)
    {
        for (const char16_t c : s) {
            Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    void Align4() { m_out.resize((m_out.size() + 3) / 4 * 4, 0); }

private:
    std::vector<std::uint8_t>& m_out;
};

int HexDigit(char16_t c) noexcept
{
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

bool Hex(const std::u16string& text, std::size_t pos, std::size_t digits, std::uint32_t& value) noexcept
{
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int d = HexDigit(text[pos + i]);
        if (d < 0) {
            return false;
        }
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    return true;
}

} // namespace

bool operator==(const Guid& a, const Guid& b) noexcept
{
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3
        && std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

bool ParseGuid(const std::u16string& text, Guid& guid) noexcept
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' || text[14] != u'-'
        || text[19] != u'-' || text[24] != u'-') {
        return false;
    }
    std::uint32_t v = 0;
    Guid g;
    if (!Hex(text, 1, 8, g.data1)) {
        return false;
    }
    if (!Hex(text, 10, 4, v)) {
        return false;
    }
    g.data2 = static_cast<std::uint16_t>(v);
    if (!Hex(text, 15, 4, v)) {
        return false;
    }
    g.data3 = static_cast<std::uint16_t>(v);
    static constexpr std::size_t bytePos[8] = { 20, 22, 25, 27, 29, 31, 33, 35 };
    for (std::size_t i = 0; i < 8; ++i) {
        if (!Hex(text, bytePos[i], 2, v)) {
            return false;
        }
        g.data4[i] = static_cast<std::uint8_t>(v);
    }
    guid = g;
    return true;
}

bool PrepareDialogTemplate(
    const void* data, std::size_t size, const std::u16string& className, PreparedTemplate& out)
{
    out = PreparedTemplate {};
    Reader r(data, size);
    std::uint16_t version = 0, signature = 0;
    if (!r.Word(version) || !r.Word(signature)) {
        return false;
    }
    const bool extended = version == 1 && signature == 0xFFFF;
    std::uint32_t style = 0;
    std::size_t countOffset = 0;
    if (extended) {
        std::uint32_t help = 0, exStyle = 0;
        if (!r.Dword(help) || !r.Dword(exStyle) || !r.Dword(style)) {
            return false;
        }
        countOffset = 16;
    } else {
        style = static_cast<std::uint32_t>(signature) << 16 | version;
        std::uint32_t exStyle = 0;
        if (!r.Dword(exStyle)) {
            return false;
        }
        countOffset = 8;
    }
    std::uint16_t count = 0;
    if (!r.Word(count) || !r.Skip(8)) { // x, y, cx, cy
        return false;
    }

    std::vector<std::uint8_t> bytes;
    Writer w(bytes);
    w.Bytes(r.At(0), r.Position());

    std::u16string text;
    bool ordinal = false;
    std::size_t start = r.Position();
    if (!r.Field(text, ordinal)) { // menu
        return false;
    }
    w.Bytes(r.At(start), r.Position() - start);
    start = r.Position();
    if (!r.Field(text, ordinal)) { // window class
        return false;
    }
    if (className.empty()) {
        w.Bytes(r.At(start), r.Position() - start);
    } else {
        w.String(className);
    }
    start = r.Position();
    if (!r.Field(text, ordinal)) { // title
        return false;
    }
    if (style & SetFontStyle) {
        // point size; extended: weight, italic, charset; face name
        if (!r.Skip(extended ? 6 : 2) || !r.String(text)) {
            return false;
        }
    }
    w.Bytes(r.At(start), r.Position() - start);

    std::uint16_t kept = 0;
    std::vector<TemplateControl> controls;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (!r.Align4()) {
            return false;
        }
        const std::size_t itemStart = r.Position();
        TemplateControl item;
        std::uint32_t id = 0;
        std::uint16_t x = 0, y = 0, cx = 0, cy = 0;
        if (extended) {
            std::uint32_t help = 0;
            if (!r.Dword(help) || !r.Dword(item.exStyle) || !r.Dword(item.style) || !r.Word(x) || !r.Word(y)
                || !r.Word(cx) || !r.Word(cy) || !r.Dword(id)) {
                return false;
            }
        } else {
            std::uint16_t shortId = 0;
            if (!r.Dword(item.style) || !r.Dword(item.exStyle) || !r.Word(x) || !r.Word(y) || !r.Word(cx)
                || !r.Word(cy) || !r.Word(shortId)) {
                return false;
            }
            id = shortId;
        }
        bool classOrdinal = false, titleOrdinal = false;
        std::uint16_t extra = 0;
        if (!r.Field(item.classText, classOrdinal) || !r.Field(item.title, titleOrdinal) || !r.Word(extra)
            || !r.Skip(extra)) {
            return false;
        }
        if (titleOrdinal) {
            item.title.clear();
        }
        if (!classOrdinal && ParseGuid(item.classText, item.clsid)) {
            item.id = static_cast<int>(id);
            item.x = static_cast<std::int16_t>(x);
            item.y = static_cast<std::int16_t>(y);
            item.cx = static_cast<std::int16_t>(cx);
            item.cy = static_cast<std::int16_t>(cy);
            item.index = i;
            item.ordinaryBefore = kept;
            controls.push_back(std::move(item));
        } else {
            w.Align4();
            w.Bytes(r.At(itemStart), r.Position() - itemStart);
            ++kept;
        }
    }
    std::memcpy(bytes.data() + countOffset, &kept, sizeof kept);
    out.bytes = std::move(bytes);
    out.controls = std::move(controls);
    out.extended = extended;
    return true;
}

bool ParseDialogInit(const void* data, std::size_t size, std::vector<InitRecord>& out)
{
    out.clear();
    Reader r(data, size);
    for (;;) {
        std::uint16_t id = 0, message = 0;
        std::uint32_t length = 0;
        if (r.AtEnd()) {
            return true; // a resource may end without its closing zero
        }
        if (!r.Word(id)) {
            return false;
        }
        if (id == 0) {
            return true;
        }
        if (!r.Word(message) || !r.Dword(length)) {
            return false;
        }
        const std::size_t start = r.Position();
        if (!r.Skip(length)) {
            return false;
        }
        if (message != DialogInitStateMessage) {
            continue;
        }
        if (length < 4) {
            return false;
        }
        InitRecord record;
        record.id = id;
        record.stream.assign(r.At(start + 4), r.At(start + length));
        out.push_back(std::move(record));
    }
}

} // namespace pelo::container
