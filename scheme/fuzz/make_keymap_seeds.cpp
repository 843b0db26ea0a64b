// Writes the seed corpus of the key-map file fuzzer: saved schemes with names of 0, 3, 20 and
// 25 units, entries holding separator characters, and files cut short at telling places.
#include <cstdio>
#include <string>
#include <vector>

#include "scheme/KeyMapCodec.h"

using namespace pelo::scheme;

namespace {
bool WriteSeed(const std::string& dir, const char* name, const uint8_t* data, size_t size)
{
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> Saved(const char16_t* name, const KeyTCharPair* table)
{
    std::vector<uint8_t> bytes(kMaxFileBytes);
    bytes.resize(EncodeKeyMapFile(name, table, bytes.data()));
    return bytes;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_keymap_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    const std::vector<uint8_t> standard = Saved(u"方案一", kDefaultKeyTable);
    ok &= WriteSeed(dir, "default.kmf", standard.data(), standard.size());
    ok &= WriteSeed(dir, "cut-in-name.kmf", standard.data(), 3);
    ok &= WriteSeed(dir, "cut-in-entries.kmf", standard.data(), 101);
    ok &= WriteSeed(dir, "name-line-only.kmf", standard.data(), 8);

    const std::vector<uint8_t> full = Saved(u"ABCDEFGHIJKLMNOPQRST", kDefaultKeyTable);
    ok &= WriteSeed(dir, "name20.kmf", full.data(), full.size());
    ok &= WriteSeed(dir, "name20-no-linefeed.kmf", full.data(), 40);

    const std::vector<uint8_t> empty = Saved(u"", kDefaultKeyTable);
    ok &= WriteSeed(dir, "empty-name.kmf", empty.data(), empty.size());
    ok &= WriteSeed(dir, "empty.kmf", empty.data(), 0);

    // A 25-unit name line: the load skips the last five units.
    std::vector<uint8_t> long25;
    for (char16_t u : std::u16string(u"ABCDEFGHIJKLMNOPQRSTUVWXY")) {
        long25.push_back(static_cast<uint8_t>(u));
        long25.push_back(static_cast<uint8_t>(u >> 8));
    }
    long25.insert(long25.end(), empty.begin(), empty.end());
    ok &= WriteSeed(dir, "name25.kmf", long25.data(), long25.size());

    KeyTCharPair awkward[KEY_COUNT];
    const char16_t units[] = { 0x000A, u',', u';', 0 };
    for (int i = 0; i < KEY_COUNT; ++i) {
        awkward[i] = { units[i % 4], units[(i + 1) % 4] };
    }
    const std::vector<uint8_t> separators = Saved(u"分隔", awkward);
    ok &= WriteSeed(dir, "separator-entries.kmf", separators.data(), separators.size());
    return ok ? 0 : 1;
}
