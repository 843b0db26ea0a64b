// What a hook owner process (PelohookOwner.exe) and the test that drives it share: one command at
// a time and its result. The owner stands for a running copy of the program: it loads the hook
// library and holds its own CKeyboardHook.
#pragma once

#include <windows.h>

namespace pelo::hooktest {

struct OwnerControl {
    volatile LONG command;
    volatile LONG result;
};

// Commands, each answered on the "ready" event. kOwnerExit ends the process through its normal
// exit, so the owner's CKeyboardHook is destroyed on the way.
constexpr LONG kOwnerStartHook = 1;
constexpr LONG kOwnerStopHook = 2;
constexpr LONG kOwnerExit = 3;

} // namespace pelo::hooktest
