// The hook library's exports: the system-wide keyboard hook, character conversion and
// delivery, and the setters of the data shared by every process that maps the library.
#pragma once

#include <windows.h>

#include "framework/Object.h"
#include "hook/ExcludedPrograms.h"
#include "scheme/KeyMapFangAn.h"

#ifdef PELOHOOK_BUILDING
#define PELOHOOK_API __declspec(dllexport)
#else
#define PELOHOOK_API __declspec(dllimport)
#endif

// All objects of a process refer to the one hook that process installed; a process never removes
// the hook of another (a second copy of the program has its own).
class PELOHOOK_API CKeyboardHook : public CObject {
public:
    CKeyboardHook();
    ~CKeyboardHook() override; // removes the hook this process installed

    int StartHook(); // 1 installed (or already installed by this process), 0 failed
    int StopHook(); // nonzero removed, 0 no hook of this process or failure
};

PELOHOOK_API void Dll_SetFangAnInHook(CKeyMapFangAn* pFangAn);
PELOHOOK_API void Dll_Setg_hWndMainInDll(HWND hWnd);
PELOHOOK_API void Dll_Setg_bAxBnShiftDownInHook(int bShiftDown);
PELOHOOK_API wchar_t Dll_ConvertKeyCharToTChar(unsigned int key, int bShift);
PELOHOOK_API void Dll_SendTCharToFocus(wchar_t tchar, long lParam);

// Options of the hook procedure, off until the program turns them on. They live in the shared
// data section like the table: they last while any process maps the library and start off when
// none does, so the program hands them over at start, as it does the table, and after each change.

// Nonzero: a key-down typed with Ctrl, Alt or a Windows key held (the thread's key state, as
// GetKeyState sees it) goes on unconverted, so that shortcuts such as Ctrl+C keep working.
// Zero (the start): such combinations are converted like any other key-down. AltGr, which
// keyboard layouts give as Ctrl+Alt, counts as a shortcut too.
PELOHOOK_API void Dll_SetbPassShortcutsInHook(int bPass);

// The programs in which typed keys are never converted, by file name ("mstsc.exe"), compared with
// the file name of each process's program file, ignoring case in Basic Latin, Latin-1 and Latin
// Extended-A. `names` holds `count` slots of pelo::hook::kExcludedNameUnits (64) units each, one
// name per slot, each terminated within its slot (so at most 63 units); the rest of a slot is not
// read. The call replaces the whole list; count 0 (names may then be null) empties it. Returns 1
// when stored; 0, leaving the list as it was, when count lies outside 0..pelo::hook::kExcludedMax
// (16), names is null for a nonzero count, or a slot holds no terminator. A process asks the list
// again only after it changed, at its next key. The hook leaves such a program wholly alone: its
// keys also do not make its focus window the one that Dll_SendTCharToFocus types into from the
// keyboard window; characters the program delivers itself are not filtered.
PELOHOOK_API int Dll_SetExcludedProgramsInHook(const wchar_t* names, int count);
