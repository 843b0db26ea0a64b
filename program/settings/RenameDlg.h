// Asks for a new name of the scheme shown on the key-map editor page: 1 to 20 characters.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog/Dialog.h"

class CRenameDlg : public pelo::dialog::DialogT<CRenameDlg> {
public:
    explicit CRenameDlg(HWND hParent);

    // Runs modally over the parent: IDOK or IDCANCEL.
    INT_PTR DoModal() { return Dialog::DoModal(m_hParent); }

    static const pelo::dialog::HandlerTable<CRenameDlg>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CRenameDlg>>& ExchangeRows();

    // Set by the caller before the run; the new name after IDOK.
    std::wstring m_strName;

protected:
    BOOL OnInitDialog() override;

private:
    void OnNameChange();

    HWND m_hParent;
};
