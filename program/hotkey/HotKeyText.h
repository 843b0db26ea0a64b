// The on/off hotkey as the menu shows it and as the system registers it, without the platform:
// modifier flags in the hotkey control's form (1 Shift, 2 Ctrl, 4 Alt, 8 extended key).
#pragma once

#include <string>

namespace pelo::program {

// The suffix of the on/off menu item: the modifier part ("  Ctrl+Shift" ...; nothing for 0 or
// any value with the extended-key bit), then the key part ("+D", "+F1", "+Page Up" ...; nothing
// for keys without a name).
std::wstring FormatHotKeyText(unsigned short modifiers, unsigned short virtualKey);

// The system's hotkey modifiers (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4) for the control's flags;
// the extended-key bit and any other bit are dropped.
unsigned int HotKeyModifiersToSystem(unsigned short modifiers);

} // namespace pelo::program
