// CPelokeyPropPage, exposed for the page's tests; hosts use CreatePelokeyPropPage.
#pragma once

#include "framework/proppage/PropertyPage.h"

#include <string>
#include <vector>

class CPelokeyPropPage : public pelo::dialog::DialogT<CPelokeyPropPage, pelo::proppage::PropertyPage> {
public:
    CPelokeyPropPage() noexcept;

    static const std::vector<pelo::dialog::ExchangeRow<CPelokeyPropPage>>& ExchangeRows();
    static const pelo::dialog::HandlerTable<CPelokeyPropPage>& Handlers();

    int m_bSendMsg = 0;
    int m_bShift = 0;
    std::wstring m_strKeyChar;
    std::wstring m_strKeyString;
    short m_nKeyStyle = 1;
    int m_bInConfigDlg = 0;

private:
    void OnChangeKeyStyle();
    void OnChangeShift();
    void Message(const wchar_t* text);
    void Enable(int id, bool enable);
};
