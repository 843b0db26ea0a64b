#include "WatcherHook.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

// Seen by every process that maps this library.
#define WATCHER_SHARED __attribute__((section("watch"), shared))
LONG g_watchedCount WATCHER_SHARED = 0;
WatchedKey g_watched[256] WATCHER_SHARED = {};

namespace {

constexpr LONG kCapacity = sizeof g_watched / sizeof g_watched[0];

LRESULT CALLBACK WatchProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const LONG index = ::InterlockedIncrement(&g_watchedCount) - 1;
        if (index < kCapacity) {
            g_watched[index].key = static_cast<UINT>(wParam);
            g_watched[index].released = (static_cast<ULONG_PTR>(lParam) & 0x80000000u) != 0 ? 1 : 0;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

HHOOK WatcherStart()
{
    ::InterlockedExchange(&g_watchedCount, 0);
    return ::SetWindowsHookExW(WH_KEYBOARD, WatchProc, reinterpret_cast<HINSTANCE>(&__ImageBase), 0);
}

LONG WatcherKeys(WatchedKey* keys, LONG capacity)
{
    LONG count = g_watchedCount;
    if (count > kCapacity) {
        count = kCapacity;
    }
    if (count > capacity) {
        count = capacity;
    }
    for (LONG i = 0; i < count; ++i) {
        keys[i] = g_watched[i];
    }
    return count;
}
