// Writes the template key streams: each file is one whole stream as a key in the program's
// dialog templates holds it (properties, font marker, standard font data).
#include "PropertyStream.h"

#include "../../tools/WriteFile.h"

#include <string>

using namespace pelokey::stream;
using pelokey::tools::WriteFile;

namespace {

bool Emit(const std::string& dir, const char* name, const KeyProps& props, FontMarker marker)
{
    MemoryWriter w;
    bool ok = WriteKeyProps(w, props) && WriteFontHeader(w, marker);
    if (marker == FontMarker::FontObject) {
        ok = ok && WriteStdFontData(w, StdFontData {});
    }
    return ok && WriteFile(dir + "/" + name, w.Bytes());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = pelokey::tools::OutputFolder(argc, argv);
    if (dir.empty()) {
        return 2;
    }

    KeyProps key;
    key.extentX = key.extentY = 873;
    key.strKeyChar = u"1";

    KeyProps shift = key;
    shift.extentX = 2619;
    shift.bShift = 1;
    shift.nKeyStyle = 2;
    shift.strKeyChar = u"Q";
    shift.strKeyString = u"Shift";

    KeyProps editor = key;
    editor.bInConfigDlg = 1;
    editor.strKeyChar = u"A";

    const bool ok = Emit(dir, "main-key.bin", key, FontMarker::FontObject)
        && Emit(dir, "shift-key.bin", shift, FontMarker::FontObject)
        && Emit(dir, "editor-key.bin", editor, FontMarker::FontObject)
        && Emit(dir, "default-font-key.bin", key, FontMarker::Default);
    return ok ? 0 : 1;
}
