// The key button's paint routine: bevel bitmap stretched over the control, then either the key
// letter with the scheme's two characters or a centred label.
#pragma once

#include <windows.h>

#include <string>

namespace pelokey::drawing {

struct KeyFaceState {
    short nKeyStyle;
    BOOL bKeyDown, bKeyShiftDown, bInConfigDlg;
    std::wstring strKeyChar, strKeyString;
    wchar_t tchar1, tchar2;
    POINT keyCharPos { 3, 3 }, tchar1Pos { 8, 17 }, tchar2Pos { 16, 3 };
    COLORREF crKeyChar = RGB(128, 0, 0), crKeyString = RGB(128, 0, 0);
};

struct CharColours {
    COLORREF crTChar1, crTChar2;
};

// Paints the face into dc within bounds (positions are relative to its top-left corner) and
// returns the two character colours the state calls for. fontAll may be null (the dc's font is
// used). resources is the module holding bitmaps 201/202/205/206; a missing bitmap gives a plain
// face with a drawn edge.
CharColours PaintKeyFace(HDC dc, const RECT& bounds, const KeyFaceState&, HFONT fontAll, HINSTANCE resources);

} // namespace pelokey::drawing
