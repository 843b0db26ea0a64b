// Integers typed into fields: decimal, optional sign, blanks around.
#include "framework/dialog/Dialog.h"

#include <cwctype>

namespace pelo::dialog {

bool ParseInteger(const std::wstring& text, long long minValue, long long maxValue, long long& value) noexcept
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && std::iswspace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    const std::size_t digitsStart = i;
    long long magnitude = 0;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > (1LL << 40)) {
            return false; // far outside any 32-bit field
        }
        ++i;
    }
    if (i == digitsStart) {
        return false;
    }
    while (i < n && std::iswspace(text[i])) {
        ++i;
    }
    if (i != n) {
        return false;
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v < minValue || v > maxValue) {
        return false;
    }
    value = v;
    return true;
}

} // namespace pelo::dialog
