// The state the keyboard window and the settings share for the whole run: one of each, made
// before the application object runs and kept until the process ends.
#pragma once

#include "hotkey/HotKeySetting.h"
#include "scheme/FangAnSlots.h"
#include "scheme/KeyMapFangAn.h"

// The scheme the keyboard shows and the hook types with.
extern CKeyMapFangAn g_CurrentFangAn;
// The slot (1 to 5) the current scheme belongs to; [SN] SN.
extern int g_nCurrentSlot;
// The slot whose key-map file the current scheme was loaded from, 0 while it holds none (the file
// could not be read). Only a scheme loaded from its slot's file is written back there.
extern int g_nLoadedSlot;
// The names of the five schemes, as the scheme menu shows them.
extern FangAnNameTable g_szFangAnNames;
// The on/off hotkey, registered under kHotKeyId for the keyboard window.
extern CHotKeySetting g_HotKeySetting;
// 1 while the settings dialog is shown.
extern int g_bSettingsOpen;
// 1 until the keyboard window has handled its first WM_MOVE.
extern int g_bFirstMove;

constexpr int kHotKeyId = 500;

// The current scheme is the one loaded from the current slot's file.
inline bool CurrentFangAnLoaded()
{
    return g_nLoadedSlot != 0 && g_nLoadedSlot == g_nCurrentSlot;
}
