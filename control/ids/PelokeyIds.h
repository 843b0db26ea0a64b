// COM identity of the key button control library: class, page and type library identifiers,
// interface identifiers and the fixed dispatch identifiers that hosts call by number.
#pragma once

#include <windows.h>

namespace pelokey {

// {B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}
inline constexpr CLSID CLSID_Pelokey
    = { 0xB5A8D3BD, 0xDBB9, 0x4EA9, { 0x9A, 0x4A, 0x9C, 0x41, 0xCB, 0xA3, 0x0D, 0x69 } };
// {DEB00CC5-B7FD-4C53-89E5-D779384976DE}
inline constexpr CLSID CLSID_PelokeyPropPage
    = { 0xDEB00CC5, 0xB7FD, 0x4C53, { 0x89, 0xE5, 0xD7, 0x79, 0x38, 0x49, 0x76, 0xDE } };
// {1C106E3E-E8E3-4E9C-9FFF-9A907043208E}
inline constexpr GUID LIBID_PELOKEYLib
    = { 0x1C106E3E, 0xE8E3, 0x4E9C, { 0x9F, 0xFF, 0x9A, 0x90, 0x70, 0x43, 0x20, 0x8E } };
// {4EC94ABD-1736-4447-8AE8-EE98C7F44F9E}
inline constexpr IID DIID__DPelokey
    = { 0x4EC94ABD, 0x1736, 0x4447, { 0x8A, 0xE8, 0xEE, 0x98, 0xC7, 0xF4, 0x4F, 0x9E } };
// {C51CBC72-8B14-4F1E-85BF-794BE13EF3FF}
inline constexpr IID DIID__DPelokeyEvents
    = { 0xC51CBC72, 0x8B14, 0x4F1E, { 0x85, 0xBF, 0x79, 0x4B, 0xE1, 0x3E, 0xF3, 0xFF } };

inline constexpr WORD TypeLibMajor = 1;
inline constexpr WORD TypeLibMinor = 0;

inline constexpr wchar_t ProgIdControl[] = L"PELOKEY.PelokeyCtrl.1";
inline constexpr wchar_t ProgIdPropPage[] = L"PELOKEY.PelokeyPropPage.1";

enum Dispid : DISPID {
    DISPID_bSendMsg = 1,
    DISPID_nKeyStyle = 2,
    DISPID_strKeyChar = 3,
    DISPID_strKeyString = 4,
    DISPID_bShift = 5,
    DISPID_bInConfigDlg = 6,
    DISPID_FontAll = 7,
    DISPID_SetKeyDown = 8,
    DISPID_SetKeyUp = 9,
    DISPID_GetTChar1 = 10,
    DISPID_GetTChar2 = 11,
    DISPID_SetTChar2 = 12,
    DISPID_SetTChar1 = 13,
    DISPID_SetbShiftDown = 14,
};

// String table of the library.
inline constexpr UINT IDS_PELOKEY = 1;
inline constexpr UINT IDS_PELOKEY_PPG = 2;
inline constexpr UINT IDS_PELOKEY_PPG_CAPTION = 200;

} // namespace pelokey
