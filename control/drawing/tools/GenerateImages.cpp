// Build-host tool: writes the control library's bitmaps and icon into a folder for the resource
// compiler. Usage: GenerateImages OUTPUT_DIR
#include "ResourceImages.h"

#include "../../tools/WriteFile.h"

#include <string>

using namespace pelokey::drawing;
using pelokey::tools::WriteFile;

int main(int argc, char** argv)
{
    const std::string dir = pelokey::tools::OutputFolder(argc, argv);
    if (dir.empty()) {
        return 2;
    }
    bool ok = true;
    for (const bevel::FaceBitmap& face : bevel::FaceBitmaps) {
        ok = ok && WriteFile(dir + "/key" + std::to_string(face.id) + ".bmp", images::FaceBitmapFile(face));
    }
    ok = ok && WriteFile(dir + "/toolbox.bmp", images::ToolboxBitmapFile());
    ok = ok && WriteFile(dir + "/pelokey.ico", images::IconFile());
    return ok ? 0 : 1;
}
