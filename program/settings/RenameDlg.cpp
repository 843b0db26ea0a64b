#include "settings/RenameDlg.h"

#include "scheme/KeyMapFangAn.h"
#include "settings/SettingsIds.h"

using pelo::dialog::ExchangeRow;

CRenameDlg::CRenameDlg(HWND hParent)
    : DialogT(::GetModuleHandleW(nullptr), IDD_RENAME)
    , m_hParent(hParent)
{
}

const pelo::dialog::HandlerTable<CRenameDlg>& CRenameDlg::Handlers()
{
    static const pelo::dialog::HandlerTable<CRenameDlg> table {
        {},
        { { IDC_NEW_NAME, EN_CHANGE, &CRenameDlg::OnNameChange } },
        {},
    };
    return table;
}

const std::vector<ExchangeRow<CRenameDlg>>& CRenameDlg::ExchangeRows()
{
    static const std::vector<ExchangeRow<CRenameDlg>> rows {
        ExchangeRow<CRenameDlg>::Text(IDC_NEW_NAME, &CRenameDlg::m_strName, FANGAN_NAME_UNITS),
    };
    return rows;
}

BOOL CRenameDlg::OnInitDialog()
{
    // Writing the name sends no change the dialog acts on: OK keeps the template's disabled state.
    Dialog::OnInitDialog();
    ::SendMessageW(Item(IDC_NEW_NAME), EM_LIMITTEXT, FANGAN_NAME_UNITS, 0);
    return TRUE;
}

void CRenameDlg::OnNameChange()
{
    if (InExchange()) {
        return;
    }
    m_strName.clear();
    UpdateData(true);
    ::EnableWindow(Item(IDOK), m_strName.empty() ? FALSE : TRUE);
}
