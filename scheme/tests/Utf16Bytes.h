// Key-map file bytes for the tests, native and under Wine alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace schemetest {

using Bytes = std::vector<uint8_t>;

// The text as UTF-16LE units, without byte-order mark or terminator.
inline Bytes Utf16Bytes(const std::u16string& text)
{
    Bytes bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

} // namespace schemetest
