// Build-host tool: writes the control library's bitmaps and icon into a folder for the resource
// compiler. Usage: GenerateImages OUTPUT_DIR
#include "ResourceImages.h"

#include <cstdio>
#include <string>

using namespace pelokey::drawing;

namespace {
bool WriteFile(const std::string& path, const images::Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "GenerateImages: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    for (const bevel::FaceBitmap& face : bevel::FaceBitmaps) {
        ok = ok && WriteFile(dir + "/key" + std::to_string(face.id) + ".bmp", images::FaceBitmapFile(face));
    }
    ok = ok && WriteFile(dir + "/toolbox.bmp", images::ToolboxBitmapFile());
    ok = ok && WriteFile(dir + "/pelokey.ico", images::IconFile());
    return ok ? 0 : 1;
}
