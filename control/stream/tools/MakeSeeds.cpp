// Writes the property stream fuzzer's seeds: MakeSeeds OUTPUT_DIR DLGINIT_FILE...
// Every key's stream from the dialog-initialisation data the program is built with (its keyboard
// window and its key-map editor page), as it is and with the default-font marker in place of the
// font data; then, from the first of them, the older and odder forms the reader also accepts.
#include "PropertyStream.h"

#include "../../tools/WriteFile.h"
#include "framework/container/DialogTemplate.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace pelokey::stream;
using pelokey::tools::WriteFile;
using Bytes = std::vector<std::uint8_t>;

namespace {

bool ReadWholeFile(const std::string& path, Bytes& out)
{
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

// Where the properties end, after a check that the whole stream reads as the control reads it.
bool PropertiesEnd(const Bytes& stream, std::size_t& end)
{
    MemoryReader r(stream.data(), stream.size());
    KeyProps props;
    FontMarker marker {};
    std::uint8_t clsid[16] = {};
    if (!ReadKeyProps(r, props, nullptr)) {
        return false;
    }
    end = r.Position();
    StdFontData font;
    return ReadFontHeader(r, marker, clsid) && marker == FontMarker::FontObject && ReadStdFontData(r, font)
        && r.Remaining() == 0;
}

void PutArchived8(Bytes& b, const std::string& text)
{
    b.push_back(static_cast<std::uint8_t>(text.size()));
    b.insert(b.end(), text.begin(), text.end());
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The first key's stream in older and odder forms: the reader takes all but the last two.
bool WriteOddForms(const std::string& dir, const Bytes& key, std::size_t propsEnd)
{
    MemoryReader r(key.data(), key.size());
    KeyProps props;
    if (!ReadKeyProps(r, props, nullptr)) {
        return false;
    }
    const Bytes fixed(key.begin(), key.begin() + 21); // version .. nKeyStyle
    const Bytes stored(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(propsEnd));
    const Bytes fontPart(key.begin() + static_cast<std::ptrdiff_t>(propsEnd), key.end());
    const Bytes header(fontPart.begin(), fontPart.begin() + 17);
    const Bytes fontData(fontPart.begin() + 17, fontPart.end());
    const Bytes noFont { FontMarkerDefault };

    // 8-bit strings, as a writer without Unicode strings stored them.
    Bytes narrow = fixed;
    PutArchived8(narrow, "1");
    PutArchived8(narrow, "Enter");

    // Longer texts: the two-byte length form, and the four-byte form holding a short length.
    KeyProps longer = props;
    longer.strKeyString = std::u16string(300, u'键');
    MemoryWriter longWriter;
    if (!WriteKeyProps(longWriter, longer)) {
        return false;
    }
    Bytes wideLength = fixed;
    for (const std::uint8_t b : { 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x31, 0x00 }) {
        wideLength.push_back(b);
    }
    PutArchived8(wideLength, "Enter");

    // An older version number and stock properties; another font class; another font version.
    Bytes older = stored;
    older[2] = 0x00;
    older[12] = 0x01;
    Bytes otherClass = header;
    otherClass[0] = 0x01;
    otherClass[16] ^= 0x5A;
    Bytes otherFontVersion = fontData;
    otherFontVersion[0] = 2;

    return WriteFile(dir + "/odd-narrow-strings.bin", Concat(narrow, fontPart))
        && WriteFile(dir + "/odd-long-string.bin", Concat(longWriter.Bytes(), noFont))
        && WriteFile(dir + "/odd-four-byte-length.bin", Concat(wideLength, fontPart))
        && WriteFile(dir + "/odd-older-version.bin", Concat(older, noFont))
        && WriteFile(dir + "/odd-font-class.bin", Concat(stored, otherClass))
        && WriteFile(dir + "/odd-font-version.bin", Concat(Concat(stored, header), otherFontVersion))
        && WriteFile(dir + "/odd-no-marker.bin", stored)
        && WriteFile(dir + "/odd-cut-in-font.bin",
            Concat(Concat(stored, header), Bytes(fontData.begin(), fontData.end() - 3)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR DLGINIT_FILE...\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    Bytes first;
    std::size_t firstPropsEnd = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string stem = std::filesystem::path(argv[i]).stem().string();
        Bytes init;
        std::vector<pelo::container::InitRecord> records;
        if (!ReadWholeFile(argv[i], init)
            || !pelo::container::ParseDialogInit(init.data(), init.size(), records) || records.empty()) {
            std::fprintf(stderr, "%s: no key streams in %s\n", argv[0], argv[i]);
            return 1;
        }
        for (const auto& record : records) {
            std::size_t propsEnd = 0;
            if (!PropertiesEnd(record.stream, propsEnd)) {
                std::fprintf(
                    stderr, "%s: the stream of %d in %s does not read back\n", argv[0], record.id, argv[i]);
                return 1;
            }
            const std::string name = dir + "/" + stem + "-" + std::to_string(record.id);
            Bytes noFont(
                record.stream.begin(), record.stream.begin() + static_cast<std::ptrdiff_t>(propsEnd));
            noFont.push_back(FontMarkerDefault);
            if (!WriteFile(name + ".bin", record.stream) || !WriteFile(name + "-default-font.bin", noFont)) {
                return 1;
            }
            if (first.empty()) {
                first = record.stream;
                firstPropsEnd = propsEnd;
            }
        }
    }
    return WriteOddForms(dir, first, firstPropsEnd) ? 0 : 1;
}
