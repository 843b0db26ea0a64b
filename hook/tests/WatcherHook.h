// A keyboard hook that only watches (PelohookWatcher.dll): installed before Pelohook's, it is the
// next hook in the chain, and it records every key message handed on to it, in whichever process
// the key was read. Built without any runtime, like the hook library.
#pragma once

#include <windows.h>

#ifdef PELOHOOK_WATCHER_BUILDING
#define PELOHOOK_WATCHER_API extern "C" __declspec(dllexport)
#else
#define PELOHOOK_WATCHER_API extern "C" __declspec(dllimport)
#endif

struct WatchedKey {
    UINT key; // virtual-key code
    UINT released; // 1 for a key-up
};

// Clears the record and installs the watcher for all threads; null if the system refuses.
PELOHOOK_WATCHER_API HHOOK WatcherStart();
// Copies at most `capacity` of the keys recorded so far (action code only) and returns their count.
PELOHOOK_WATCHER_API LONG WatcherKeys(WatchedKey* keys, LONG capacity);
