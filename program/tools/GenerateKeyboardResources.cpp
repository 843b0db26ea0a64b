// Build-host generator: writes the control lists (resource script fragments) of the keyboard
// window and of the key-map editor page, and their dialog-initialisation data, where each key
// button's record holds the property stream written by the control's own codec.
//   GenerateKeyboardResources OUTPUT_DIR
#include "KeyboardLayout.h"
#include "PropertyStream.h"
#include "WriteFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace pelokey::stream;
using pelo::program::layout::KeyCell;
using pelokey::tools::Put16;
using pelokey::tools::Put32;
using pelokey::tools::WriteFile;

namespace {

constexpr const char* kKeyClass = "{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}";
constexpr std::uint16_t kLoadFromStream = 0x0376;

// Extents in HIMETRIC of a key drawn at 1.5 pixels per dialog unit on a 96 dpi screen.
std::int32_t Extent(int dialogUnits)
{
    return static_cast<std::int32_t>(dialogUnits * 3 * 2540 / (2 * 96));
}

std::vector<std::uint8_t> KeyStream(const KeyCell& cell, int inConfigDlg)
{
    KeyProps props;
    props.extentX = Extent(cell.cx);
    props.extentY = Extent(cell.cy);
    props.bSendMsg = 1;
    props.bInConfigDlg = inConfigDlg;
    if (cell.keyChar == 0) {
        props.bShift = 1;
        props.nKeyStyle = 2; // string face
        props.strKeyChar = u"Q";
        props.strKeyString = u"Shift";
    } else {
        props.bShift = 0;
        props.nKeyStyle = 1; // character face
        props.strKeyChar = std::u16string(1, static_cast<char16_t>(cell.keyChar));
        props.strKeyString = u"Enter";
    }
    MemoryWriter w;
    if (!WriteKeyProps(w, props) || !WriteFontHeader(w, FontMarker::FontObject)
        || !WriteStdFontData(w, StdFontData {})) {
        return {};
    }
    return w.Bytes();
}

// Records {control id, 0x0376, length, 4-byte zero, stream}, ended by a zero word.
bool DialogInitData(const std::vector<KeyCell>& cells, int inConfigDlg, std::vector<std::uint8_t>& out)
{
    for (const KeyCell& cell : cells) {
        const std::vector<std::uint8_t> stream = KeyStream(cell, inConfigDlg);
        if (stream.empty()) {
            return false;
        }
        Put16(out, static_cast<std::uint32_t>(cell.id));
        Put16(out, kLoadFromStream);
        Put32(out, static_cast<std::uint32_t>(4 + stream.size()));
        Put32(out, 0);
        out.insert(out.end(), stream.begin(), stream.end());
    }
    Put16(out, 0);
    return true;
}

std::string ControlList(const std::vector<KeyCell>& cells)
{
    std::string text;
    for (const KeyCell& c : cells) {
        text += "    CONTROL \"\", " + std::to_string(c.id) + ", \"" + kKeyClass + "\", 0x50000000, "
            + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + std::to_string(c.cx) + ", "
            + std::to_string(c.cy) + "\n";
    }
    return text;
}

// NAME.rc and NAME.dlginit in dir; the editor's keys are created with bInConfigDlg 1.
bool WriteKeys(const std::string& dir, const char* name, const std::vector<KeyCell>& cells, int inConfigDlg)
{
    std::vector<std::uint8_t> init;
    if (!DialogInitData(cells, inConfigDlg, init)) {
        std::fprintf(stderr, "cannot encode the key streams of %s\n", name);
        return false;
    }
    return WriteFile(dir + "/" + name + ".rc", ControlList(cells))
        && WriteFile(dir + "/" + name + ".dlginit", init);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = pelokey::tools::OutputFolder(argc, argv);
    if (dir.empty()) {
        return 2;
    }

    return WriteKeys(dir, "KeyboardKeys", pelo::program::layout::KeyboardWindowKeys(), 0)
            && WriteKeys(dir, "KeyMapPageKeys", pelo::program::layout::KeyMapPageKeys(), 1)
        ? 0
        : 1;
}
