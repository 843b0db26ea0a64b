#include "welcome/AboutDlg.h"

#include "welcome/WelcomeIds.h"

CAboutDlg::CAboutDlg()
    : DialogT(::GetModuleHandleW(nullptr), IDD_ABOUTBOX)
{
}

const pelo::dialog::HandlerTable<CAboutDlg>& CAboutDlg::Handlers()
{
    static const pelo::dialog::HandlerTable<CAboutDlg> table;
    return table;
}

const std::vector<pelo::dialog::ExchangeRow<CAboutDlg>>& CAboutDlg::ExchangeRows()
{
    static const std::vector<pelo::dialog::ExchangeRow<CAboutDlg>> rows;
    return rows;
}
