// Writes the seed corpus of the key-map file fuzzer: the files the program itself writes (the
// five default schemes, named the way a missing slot file is named, and schemes as the settings
// dialog leaves them after a rename or key edits), and the odd files the reader still accepts:
// odd byte counts, files cut short at telling places, over-long name lines, trailing data.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/Utf16Bytes.h"
#include "scheme/KeyMapCodec.h"

using namespace pelo::scheme;
using schemetest::Utf16Bytes;

namespace {
using schemetest::Bytes;

bool WriteSeed(const std::string& dir, const std::string& name, const Bytes& bytes)
{
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

Bytes Saved(const char16_t* name, const KeyTCharPair* table)
{
    Bytes bytes(kMaxFileBytes);
    bytes.resize(EncodeKeyMapFile(name, table, bytes.data()));
    return bytes;
}

Bytes Prefix(const Bytes& bytes, size_t size)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(size, bytes.size())));
}

Bytes Joined(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
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

    // The default schemes, as a first start writes them for the slot files fangan\1.kmf to 5.kmf.
    Bytes slot1;
    for (int slot = 1; slot <= 5; ++slot) {
        const std::u16string path
            = u".\\fangan\\" + std::u16string(1, static_cast<char16_t>(u'0' + slot)) + u".kmf";
        NameBuffer name = {};
        DefaultSchemeName(path.c_str(), name);
        const Bytes saved = Saved(name, kDefaultKeyTable);
        ok &= WriteSeed(dir, "default-" + std::to_string(slot) + ".kmf", saved);
        if (slot == 1) {
            slot1 = saved;
        }
    }

    // Edited in the settings dialog: renamed to the longest name the rename dialog takes, keys
    // given other characters (one unit each, a surrogate half among them), keys cleared (0).
    KeyTCharPair edited[KEY_COUNT];
    for (int i = 0; i < KEY_COUNT; ++i) {
        edited[i] = kDefaultKeyTable[i];
    }
    edited[0] = { 0x00A7, 0 };
    edited[10] = { 0, 0 };
    edited[17] = { 0xD83D, 0xDE00 };
    edited[35] = { 0xFFFF, u'Z' };
    ok &= WriteSeed(dir, "edited-keys.kmf", Saved(u"方案一", edited));
    ok &= WriteSeed(dir, "edited-renamed20.kmf", Saved(u"我的特殊字符键盘方案第一号常用符号表甲乙", edited));
    ok &= WriteSeed(dir, "edited-name1.kmf", Saved(u"甲", kDefaultKeyTable));
    KeyTCharPair cleared[KEY_COUNT] = {};
    ok &= WriteSeed(dir, "edited-all-cleared.kmf", Saved(u"空", cleared));

    // Entries holding the separators and line feeds themselves: taken by position all the same.
    KeyTCharPair awkward[KEY_COUNT];
    const char16_t units[] = { kLineFeed, u',', u';', 0 };
    for (int i = 0; i < KEY_COUNT; ++i) {
        awkward[i] = { units[i % 4], units[(i + 1) % 4] };
    }
    ok &= WriteSeed(dir, "separator-entries.kmf", Saved(u"分隔", awkward));

    // Lengths the reader accepts though a save never writes them.
    ok &= WriteSeed(dir, "empty.kmf", {});
    ok &= WriteSeed(dir, "empty-name.kmf", Saved(u"", edited));
    ok &= WriteSeed(dir, "one-byte.kmf", Prefix(slot1, 1));
    ok &= WriteSeed(dir, "cut-in-name.kmf", Prefix(slot1, 3));
    ok &= WriteSeed(dir, "name-line-only.kmf", Prefix(slot1, 8));
    ok &= WriteSeed(dir, "cut-in-first-entry.kmf", Prefix(slot1, 11));
    ok &= WriteSeed(dir, "cut-in-entries.kmf", Prefix(slot1, 101));
    ok &= WriteSeed(dir, "last-unit-half.kmf", Prefix(slot1, slot1.size() - 1));
    ok &= WriteSeed(dir, "trailing-byte.kmf", Joined(slot1, { 0x41 }));
    ok &= WriteSeed(dir, "trailing-lines.kmf", Joined(slot1, Utf16Bytes(u"Ⅰ,一;\nⅡ,二;\n")));
    ok &= WriteSeed(dir, "line-feed-only.kmf", Utf16Bytes(u"\n"));

    const Bytes full = Saved(u"ABCDEFGHIJKLMNOPQRST", kDefaultKeyTable);
    ok &= WriteSeed(dir, "name20.kmf", full);
    ok &= WriteSeed(dir, "name20-no-linefeed.kmf", Prefix(full, 40));
    // Name lines of 21 and 25 units: the load skips the rest of the line, the name read stops.
    const Bytes empty = Saved(u"", kDefaultKeyTable);
    ok &= WriteSeed(dir, "name21.kmf", Joined(Utf16Bytes(u"ABCDEFGHIJKLMNOPQRSTU"), empty));
    ok &= WriteSeed(dir, "name25.kmf", Joined(Utf16Bytes(u"ABCDEFGHIJKLMNOPQRSTUVWXY"), empty));
    ok &= WriteSeed(dir, "name-with-zero.kmf", Joined(Utf16Bytes(std::u16string(u"AB\0CD", 5)), empty));
    // A name line that never ends: everything is skipped and the table stays.
    ok &= WriteSeed(dir, "name-without-end.kmf", Utf16Bytes(std::u16string(300, u'名')));
    return ok ? 0 : 1;
}
