// The key button control: one on-screen key with its letter and the scheme's two characters
// (or a centred label), its press state, its persisted properties and the key-down it posts to
// its parent when pressed with the left mouse button.
#pragma once

#include "KeyPressState.h"
#include "framework/activex/ControlBase.h"
#include "framework/activex/FontHolder.h"
#include "stream/PropertyStream.h"

#include <string>

class CPelokeyCtrl final : public pelo::activex::ControlBase {
public:
    // Class factory entry: a new control queried for riid.
    static HRESULT CreateInstance(REFIID riid, void** ppv) noexcept;

    // FontAll's default description: "MS Sans Serif", 8 points, weight 400, character set 0.
    static FONTDESC DefaultFontDesc() noexcept;

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr) override;
    void OnDraw(HDC dc, const RECT& bounds) override;
    HRESULT LoadState(IStream* stream) override;
    HRESULT SaveState(IStream* stream) override;
    HRESULT LoadBagState(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT SaveBagState(IPropertyBag* bag) override;
    void OnResetState() override;
    void OnLButtonDown(UINT keys, POINT pt) override;
    void OnLButtonUp(UINT keys, POINT pt) override;

private:
    CPelokeyCtrl();
    ~CPelokeyCtrl() override = default;

    [[nodiscard]] pelokey::KeyKind Kind() const noexcept;
    [[nodiscard]] bool FontIsDefault() const;
    // The properties the stream carries, and setting them from what a stream gave.
    [[nodiscard]] pelokey::stream::KeyProps StoredProps() const;
    void SetStoredProps(const pelokey::stream::KeyProps& props);
    // Loads FontAll's font object from s; false only when its data ends early.
    bool LoadFontObject(IStream* s);
    void OnNKeyStyleChanged();
    void OnFontChanged() noexcept;
    HRESULT PropertyBool(
        DISPID id, LONG& field, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
    HRESULT PropertyString(
        DISPID id, std::wstring& field, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
    HRESULT PropertyKeyStyle(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
    HRESULT PropertyFont(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argErr);
    HRESULT PutFont(DISPPARAMS* params, UINT* argErr);
    // A stored property: the control is marked modified and the property's watchers are told.
    void OnPropertyStored(DISPID id) noexcept;

    pelo::activex::FontHolder m_fontAll;
    LONG m_nKeyCharX = 3, m_nKeyCharY = 3;
    LONG m_nTChar1X = 8, m_nTChar1Y = 17;
    LONG m_nTChar2X = 16, m_nTChar2Y = 3;
    COLORREF m_crKeyChar = RGB(128, 0, 0);
    COLORREF m_crTChar1 = 0;
    COLORREF m_crTChar2 = 0;
    COLORREF m_crKeyString = RGB(128, 0, 0);
    short m_TChar1 = 0x571C;
    short m_TChar2 = 0x571C;
    pelokey::KeyPressState m_press; // m_bKeyDown, m_bKeyShiftDown
    LONG m_bSendMsg = TRUE;
    short m_nKeyStyle = pelokey::KeyStyleChar;
    std::wstring m_strKeyChar = L"Q";
    std::wstring m_strKeyString = L"Enter";
    LONG m_bShift = FALSE;
    LONG m_bInConfigDlg = FALSE;
};
