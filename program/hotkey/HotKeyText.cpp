#include "HotKeyText.h"

namespace pelo::program {

namespace {

constexpr unsigned short kShift = 1, kCtrl = 2, kAlt = 4;

const wchar_t* ModifierText(unsigned short modifiers)
{
    switch (modifiers) {
    case kShift:
        return L"  Shift";
    case kCtrl:
        return L"  Ctrl";
    case kCtrl | kShift:
        return L"  Ctrl+Shift";
    case kAlt:
        return L"  Alt";
    case kShift | kAlt:
        return L"  Shift+Alt";
    case kCtrl | kAlt:
        return L"  Ctrl+Alt";
    case kCtrl | kShift | kAlt:
        return L"  Ctrl+Shift+Alt";
    default:
        return L""; // none, or the extended-key bit
    }
}

struct NamedKey {
    unsigned short key;
    const wchar_t* text;
};

constexpr NamedKey kNamedKeys[] = {
    { 0x14, L"+Caps Lock" },
    { 0x21, L"+Page Up" },
    { 0x22, L"+Page Down" },
    { 0x23, L"+End" },
    { 0x24, L"+Home" },
    { 0x25, L"+Left" },
    { 0x26, L"+Up" },
    { 0x27, L"+Right" },
    { 0x28, L"+Down" },
    { 0x2D, L"+Insert" },
    { 0x60, L"+Num 0" },
    { 0x61, L"+Num 1" },
    { 0x62, L"+Num 2" },
    { 0x63, L"+Num 3" },
    { 0x64, L"+Num 4" },
    { 0x65, L"+Num 5" },
    { 0x66, L"+Num 6" },
    { 0x67, L"+Num 7" },
    { 0x68, L"+Num 8" },
    { 0x69, L"+Num 9" },
    { 0x6A, L"+Num *" },
    { 0x6B, L"+Num +" },
    { 0x6D, L"+Num -" },
    { 0x6F, L"+Num /" },
    { 0xBA, L"+;" },
    { 0xBB, L"+=" },
    { 0xBC, L"+," },
    { 0xBD, L"+-" },
    { 0xBE, L"+." },
    { 0xBF, L"+/" },
    { 0xC0, L"+`" },
    { 0xDB, L"+[" },
    { 0xDC, L"+\\" },
    { 0xDD, L"+]" },
    { 0xDE, L"+'" },
};

std::wstring KeyText(unsigned short key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        return std::wstring(L"+") + static_cast<wchar_t>(key);
    }
    if (key >= 0x70 && key <= 0x87) { // F1 to F24
        return L"+F" + std::to_wstring(key - 0x6F);
    }
    for (const NamedKey& named : kNamedKeys) {
        if (named.key == key) {
            return named.text;
        }
    }
    return {};
}

} // namespace

std::wstring FormatHotKeyText(unsigned short modifiers, unsigned short virtualKey)
{
    return ModifierText(modifiers) + KeyText(virtualKey);
}

unsigned int HotKeyModifiersToSystem(unsigned short modifiers)
{
    constexpr unsigned int modAlt = 1, modControl = 2, modShift = 4;
    unsigned int system = 0;
    if (modifiers & kShift) {
        system |= modShift;
    }
    if (modifiers & kCtrl) {
        system |= modControl;
    }
    if (modifiers & kAlt) {
        system |= modAlt;
    }
    return system;
}

} // namespace pelo::program
