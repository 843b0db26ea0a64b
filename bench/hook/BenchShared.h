// Memory shared between the benchmark driver and its sink process.
#pragma once

#include <windows.h>

namespace pelo::hookbench {

struct SinkState {
    volatile LONG chars; // WM_CHAR messages received since the last reset
    LONG target; // signal "done" when chars reaches this
    LONGLONG doneAt; // performance counter when the target was reached
    UINT lastChar; // the character that reached it
    UINT64 hwnd;
};

} // namespace pelo::hookbench
