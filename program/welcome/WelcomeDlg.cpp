#include "welcome/WelcomeDlg.h"

#include "welcome/WelcomeIds.h"

CWelcomeDlg::CWelcomeDlg()
    : DialogT(::GetModuleHandleW(nullptr), IDD_WELCOME)
{
}

const pelo::dialog::HandlerTable<CWelcomeDlg>& CWelcomeDlg::Handlers()
{
    static const pelo::dialog::HandlerTable<CWelcomeDlg> table {
        {},
        {},
        {},
        {},
        { { IDC_WELCOME_HELP, IDC_WELCOME_CUSTOMISE, &CWelcomeDlg::OnChoice } },
    };
    return table;
}

const std::vector<pelo::dialog::ExchangeRow<CWelcomeDlg>>& CWelcomeDlg::ExchangeRows()
{
    static const std::vector<pelo::dialog::ExchangeRow<CWelcomeDlg>> rows;
    return rows;
}

void CWelcomeDlg::DoDataExchange(pelo::dialog::DataExchange& dx)
{
    const HWND box = dx.Control(IDC_DONT_SHOW_AGAIN);
    if (dx.Saving()) {
        m_bDontShowAgain = ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    } else {
        ::SendMessageW(box, BM_SETCHECK, m_bDontShowAgain ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void CWelcomeDlg::OnChoice(int id)
{
    m_nChoice = id - IDC_WELCOME_HELP + kShowHelp;
    UpdateData(true);
    OnOK();
}

void CWelcomeDlg::OnCancel()
{
    UpdateData(true);
    EndDialog(IDCANCEL);
}
