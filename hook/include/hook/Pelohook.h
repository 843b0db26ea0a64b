// The hook library's exports: the system-wide keyboard hook, character conversion and
// delivery, and the setters of the data shared by every process that maps the library.
#pragma once

#include <windows.h>

#include "framework/Object.h"
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
