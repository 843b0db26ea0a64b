// Build-host tools: writes a whole file of bytes, saying on stderr which file failed.
#pragma once

#include <cstdio>
#include <string>

namespace pelokey::tools {

template <typename Bytes> bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (!f || std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace pelokey::tools
