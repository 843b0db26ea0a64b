// What the target process of the hook tests records, in memory shared with the test: every key
// and character message its focused edit control receives, in order.
#pragma once

#include <windows.h>

namespace pelo::hooktest {

struct TargetRecord {
    UINT msg;
    UINT wParam;
    bool operator==(const TargetRecord& o) const { return msg == o.msg && wParam == o.wParam; }
};

struct TargetLog {
    volatile LONG count;
    UINT64 hwndTop;
    UINT64 hwndEdit;
    TargetRecord records[4096];
};

// Messages the test sends or posts to the target's top-level window.
constexpr UINT kMsgActivate = WM_APP + 1; // take foreground and focus, clear log and edit
constexpr UINT kMsgClear = WM_APP + 2; // clear the log only
constexpr UINT kMsgSync = WM_APP + 3; // posted: signals the sentinel event when reached
constexpr UINT kMsgQuit = WM_APP + 4;

// A key-up of this key signals the sentinel event once the edit control has seen it; every
// message that input and earlier hook procedures produced has then been handled.
constexpr WORD kSentinelKey = VK_F24;

} // namespace pelo::hooktest
