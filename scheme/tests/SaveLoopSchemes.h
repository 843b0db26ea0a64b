// The two schemes the save loop helper saves by turns, known to the test that kills it.
#pragma once

#include "scheme/KeyMapFangAn.h"

namespace schemetest {

struct SaveLoopScheme {
    const char16_t* name;
    char16_t seed;
};

// Names of different lengths, so the two files differ in size as well.
constexpr SaveLoopScheme kSaveLoopSchemes[2] = { { u"甲", 0x4E00 }, { u"乙方案的名字", 0x3400 } };

inline KeyTCharPair SaveLoopEntry(const SaveLoopScheme& scheme, int index)
{
    return { static_cast<char16_t>(scheme.seed + index), static_cast<char16_t>(scheme.seed + 100 + index) };
}

} // namespace schemetest
