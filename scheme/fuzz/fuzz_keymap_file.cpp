// Key-map file bytes in: the load decode (whole and in two chunks), the name-only decode, and
// a save of what was loaded, which must load back the same and, for a file in the form a save
// writes, give back exactly the bytes read.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scheme/KeyMapCodec.h"

using namespace pelo::scheme;

namespace {
void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool SameName(const NameBuffer& a, const NameBuffer& b)
{
    return std::memcmp(a, b, sizeof(char16_t) * FANGAN_NAME_UNITS) == 0;
}

bool SameTable(const KeyTCharPair* a, const KeyTCharPair* b)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        if (a[i].tchar1 != b[i].tchar1 || a[i].tchar2 != b[i].tchar2) {
            return false;
        }
    }
    return true;
}

// Whether the bytes are laid out as a save lays them out: a name of at most 20 units holding
// neither U+0000 nor U+000A, U+000A, then every key's "tchar1 , tchar2 ; U+000A", and no more.
bool IsSavedForm(const uint8_t* data, size_t size)
{
    if (size % 2 != 0) {
        return false;
    }
    const size_t units = size / 2;
    const auto unit = [data](size_t i) { return static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8); };
    size_t nameLength = 0;
    while (nameLength < units && unit(nameLength) != kLineFeed) {
        if (unit(nameLength) == 0 || nameLength == FANGAN_NAME_UNITS) {
            return false;
        }
        ++nameLength;
    }
    const size_t entries = nameLength + 1;
    if (units != entries + kEntryUnits * KEY_COUNT) {
        return false;
    }
    for (size_t key = 0; key < KEY_COUNT; ++key) {
        const size_t at = entries + key * kEntryUnits;
        if (unit(at + 1) != u',' || unit(at + 3) != u';' || unit(at + 4) != kLineFeed) {
            return false;
        }
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NameBuffer name;
    std::memset(name, 0xAB, sizeof name);
    KeyTCharPair table[KEY_COUNT];
    std::memcpy(table, kDefaultKeyTable, sizeof table);
    DecodeKeyMapFile(data, size, name, table);
    Check(name[FANGAN_NAME_UNITS] == 0xABAB);
    for (int i = 0; i < FANGAN_NAME_UNITS; ++i) {
        Check(name[i] != kLineFeed);
    }

    // Chunks split anywhere give the same result.
    const size_t split = size == 0 ? 0 : data[0] % (size + 1);
    KeyMapFileDecoder chunked(KeyMapFileDecoder::Mode::Whole, kDefaultKeyTable);
    chunked.Feed(data, split);
    chunked.Feed(data + split, size - split);
    Check(chunked.Succeeded());
    Check(SameName(chunked.Name(), name));
    Check(SameTable(chunked.Table(), table));

    // Both readers see the same name line.
    NameBuffer nameOnly;
    std::memset(nameOnly, 0xCD, sizeof nameOnly);
    const bool named = DecodeKeyMapName(data, size, nameOnly);
    Check(nameOnly[FANGAN_NAME_UNITS] == 0xCDCD);
    Check(SameName(nameOnly, name));
    Check(!named || size >= 2);

    // What was loaded saves and loads back unchanged (as far as the name goes up to its end).
    uint8_t saved[kMaxFileBytes];
    const size_t savedSize = EncodeKeyMapFile(name, table, saved);
    Check(savedSize == 2 * StoredNameLength(name) + kEntriesBytes + 2);
    Check(IsSavedForm(saved, savedSize));
    NameBuffer name2 = {};
    KeyTCharPair table2[KEY_COUNT] = {};
    DecodeKeyMapFile(saved, savedSize, name2, table2);
    Check(SameTable(table, table2));
    for (size_t i = 0; i < StoredNameLength(name); ++i) {
        Check(name2[i] == name[i]);
    }
    Check(StoredNameLength(name2) == StoredNameLength(name));

    // A file as a save writes it is saved again byte for byte; any other file is not.
    const bool same = savedSize == size && std::memcmp(saved, data, size) == 0;
    Check(same == IsSavedForm(data, size));
    return 0;
}
