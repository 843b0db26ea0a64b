// Writes the dialog template fuzzer's seeds from the program's compiled resources (a .res file):
// every dialog template and every dialog-initialisation resource as the program holds them, and
// each template with class-identifier items once more in the extended form.
//   MakeTemplateSeeds OUTPUT_DIR RES_FILE
#include "framework/container/DialogTemplate.h"

#include "../../../../control/tools/WriteFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using namespace pelo::container;
using Bytes = std::vector<std::uint8_t>;
using pelokey::tools::Put16;
using pelokey::tools::Put32;
using pelokey::tools::WriteFile;

namespace {

constexpr std::uint16_t ResourceDialog = 5;
constexpr std::uint16_t ResourceDialogInit = 240;
constexpr std::uint32_t SetFontStyle = 0x40;

class Cursor {
public:
    Cursor(const Bytes& bytes, std::size_t pos)
        : m_bytes(bytes)
        , m_pos(pos)
    {
    }
    [[nodiscard]] bool Ok() const { return m_ok; }
    [[nodiscard]] std::size_t Position() const { return m_pos; }
    void Seek(std::size_t pos) { m_pos = pos; }
    void Align4() { Take((4 - m_pos % 4) % 4); }
    std::uint16_t Word()
    {
        const Bytes b = Take(2);
        return m_ok ? static_cast<std::uint16_t>(b[0] | b[1] << 8) : 0;
    }
    std::uint32_t Dword()
    {
        const std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    // The raw bytes of a zero-ended string.
    Bytes String()
    {
        const std::size_t start = m_pos;
        while (m_ok && Word() != 0) { }
        return Slice(start);
    }
    // The raw bytes of a menu, class or title field: 0, 0xFFFF and an ordinal, or a string.
    Bytes Field()
    {
        const std::size_t start = m_pos;
        const std::uint16_t first = Word();
        if (first == 0xFFFF) {
            Word();
        } else if (first != 0) {
            String();
        }
        return Slice(start);
    }
    Bytes Take(std::size_t n)
    {
        if (!m_ok || n > m_bytes.size() - m_pos) {
            m_ok = false;
            return Bytes(n, 0);
        }
        m_pos += n;
        return Slice(m_pos - n);
    }

private:
    Bytes Slice(std::size_t start) const
    {
        return m_ok ? Bytes(m_bytes.begin() + static_cast<std::ptrdiff_t>(start),
                   m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos))
                    : Bytes();
    }
    const Bytes& m_bytes;
    std::size_t m_pos;
    bool m_ok = true;
};

void Append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

// DLGTEMPLATE to DLGTEMPLATEEX: the same dialog and items, no help ids, the font's weight normal.
bool Extended(const Bytes& in, Bytes& out)
{
    Cursor c(in, 0);
    const std::uint32_t style = c.Dword();
    const std::uint32_t exStyle = c.Dword();
    const std::uint16_t count = c.Word();
    const Bytes frame = c.Take(8);
    out.clear();
    Put16(out, 1);
    Put16(out, 0xFFFF);
    Put32(out, 0);
    Put32(out, exStyle);
    Put32(out, style);
    Put16(out, count);
    Append(out, frame);
    for (int field = 0; field < 3; ++field) { // menu, class, title
        Append(out, c.Field());
    }
    if (style & SetFontStyle) {
        Put16(out, c.Word()); // point size
        Put16(out, 400);
        out.push_back(0); // italic
        out.push_back(1); // DEFAULT_CHARSET
        Append(out, c.String());
    }
    for (std::uint16_t i = 0; i < count && c.Ok(); ++i) {
        c.Align4();
        out.resize((out.size() + 3) / 4 * 4, 0);
        const std::uint32_t itemStyle = c.Dword();
        const std::uint32_t itemExStyle = c.Dword();
        const Bytes place = c.Take(8);
        const auto id = static_cast<std::int16_t>(c.Word());
        Put32(out, 0);
        Put32(out, itemExStyle);
        Put32(out, itemStyle);
        Append(out, place);
        Put32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(id)));
        Append(out, c.Field());
        Append(out, c.Field());
        const std::uint16_t extra = c.Word();
        Put16(out, extra);
        Append(out, c.Take(extra));
    }
    return c.Ok();
}

bool SameControls(const std::vector<TemplateControl>& a, const std::vector<TemplateControl>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const TemplateControl& x = a[i];
        const TemplateControl& y = b[i];
        if (x.id != y.id || !(x.clsid == y.clsid) || x.classText != y.classText || x.title != y.title
            || x.style != y.style || x.exStyle != y.exStyle || x.x != y.x || x.y != y.y || x.cx != y.cx
            || x.cy != y.cy || x.index != y.index || x.ordinaryBefore != y.ordinaryBefore) {
            return false;
        }
    }
    return true;
}

struct Resource {
    std::uint16_t type = 0;
    std::string name;
    Bytes data;
};

std::string FieldName(const Bytes& field)
{
    if (field.size() == 4 && field[0] == 0xFF && field[1] == 0xFF) {
        return std::to_string(field[2] | field[3] << 8);
    }
    std::string name;
    for (std::size_t i = 0; i + 3 < field.size(); i += 2) {
        name.push_back(static_cast<char>(field[i]));
    }
    return name;
}

// The resources of a .res file: a header (data size, header size, type, name, ...) and the data
// of each, both 4-byte aligned.
bool ReadResources(const Bytes& file, std::vector<Resource>& out)
{
    std::size_t pos = 0;
    while (pos < file.size()) {
        Cursor c(file, pos);
        const std::uint32_t dataSize = c.Dword();
        const std::uint32_t headerSize = c.Dword();
        const Bytes type = c.Field();
        const Bytes name = c.Field();
        if (!c.Ok() || headerSize > file.size() - pos || dataSize > file.size() - pos - headerSize) {
            return false;
        }
        if (dataSize > 0) {
            Resource r;
            r.type = type.size() == 4 && type[0] == 0xFF && type[1] == 0xFF
                ? static_cast<std::uint16_t>(type[2] | type[3] << 8)
                : 0;
            r.name = FieldName(name);
            r.data.assign(file.begin() + static_cast<std::ptrdiff_t>(pos + headerSize),
                file.begin() + static_cast<std::ptrdiff_t>(pos + headerSize + dataSize));
            out.push_back(std::move(r));
        }
        pos = (pos + headerSize + dataSize + 3) / 4 * 4;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR RES_FILE\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::ifstream in(argv[2], std::ios::binary);
    const Bytes file { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    std::vector<Resource> resources;
    if (file.empty() || !ReadResources(file, resources)) {
        std::fprintf(stderr, "%s: cannot read the resources of %s\n", argv[0], argv[2]);
        return 1;
    }

    std::map<std::string, std::vector<InitRecord>> inits;
    for (const Resource& r : resources) {
        if (r.type == ResourceDialogInit) {
            if (!ParseDialogInit(r.data.data(), r.data.size(), inits[r.name])
                || !WriteFile(dir + "/dlginit-" + r.name + ".bin", r.data)) {
                std::fprintf(
                    stderr, "%s: dialog-initialisation data %s does not read\n", argv[0], r.name.c_str());
                return 1;
            }
        }
    }
    int dialogs = 0;
    int withKeys = 0;
    for (const Resource& r : resources) {
        if (r.type != ResourceDialog) {
            continue;
        }
        ++dialogs;
        PreparedTemplate prepared;
        if (!PrepareDialogTemplate(r.data.data(), r.data.size(), u"PeloDialog", prepared)
            || !WriteFile(dir + "/dialog-" + r.name + ".bin", r.data)) {
            std::fprintf(stderr, "%s: dialog %s does not read\n", argv[0], r.name.c_str());
            return 1;
        }
        if (prepared.controls.empty() || prepared.extended) {
            continue;
        }
        ++withKeys;
        // Every key has its stored state beside the template.
        const std::vector<InitRecord>& records = inits[r.name];
        for (const TemplateControl& control : prepared.controls) {
            bool found = false;
            for (const InitRecord& record : records) {
                found = found || record.id == control.id;
            }
            if (!found) {
                std::fprintf(
                    stderr, "%s: dialog %s: no stored state for %d\n", argv[0], r.name.c_str(), control.id);
                return 1;
            }
        }
        Bytes extended;
        PreparedTemplate preparedEx;
        if (!Extended(r.data, extended)
            || !PrepareDialogTemplate(extended.data(), extended.size(), u"PeloDialog", preparedEx)
            || !preparedEx.extended || !SameControls(prepared.controls, preparedEx.controls)
            || !WriteFile(dir + "/dialogex-" + r.name + ".bin", extended)) {
            std::fprintf(
                stderr, "%s: dialog %s does not convert to the extended form\n", argv[0], r.name.c_str());
            return 1;
        }
    }
    if (dialogs == 0 || withKeys == 0) {
        std::fprintf(stderr, "%s: %s holds no dialog with keys\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
