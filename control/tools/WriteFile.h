// Build-host tools: the output folder from the command line, a whole file of bytes written
// with a word on stderr when it fails, and the little-endian words of the files they write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace pelokey::tools {

// Appends the low 16 bits of v, low byte first.
inline void Put16(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
// Appends v, low byte first.
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

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

// The output folder a build-host tool is given as its one argument, made if it is missing; empty
// (after a usage line) when the tool was not called that way.
inline std::string OutputFolder(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return {};
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[1], ec);
    return argv[1];
}

} // namespace pelokey::tools
