#include "PelokeyPropPage.h"

#include "PelokeyPropPageImpl.h"
#include "PropPageIds.h"
#include "framework/com/Module.h"

#include <new>

using pelo::dialog::CommandRow;
using pelo::dialog::ExchangeRow;
using pelo::dialog::HandlerTable;
using Row = ExchangeRow<CPelokeyPropPage>;

CPelokeyPropPage::CPelokeyPropPage() noexcept
    : DialogT(pelo::com::ModuleInstance(), IDD_PROPPAGE_PELOKEY, IDS_PELOKEY_PPG_CAPTION)
{
}

const std::vector<Row>& CPelokeyPropPage::ExchangeRows()
{
    static const std::vector<Row> rows = {
        Row::Int(IDC_EDIT_SENDMSG, &CPelokeyPropPage::m_bSendMsg, L"bSendMsg"),
        Row::Int(IDC_EDIT_SHIFT, &CPelokeyPropPage::m_bShift, L"bShift"),
        Row::Text(IDC_EDIT_KEYCHAR, &CPelokeyPropPage::m_strKeyChar, 1, L"strKeyChar"),
        Row::Text(IDC_EDIT_KEYSTRING, &CPelokeyPropPage::m_strKeyString, 5, L"strKeyString"),
        Row::Short(IDC_EDIT_KEYSTYLE, &CPelokeyPropPage::m_nKeyStyle, 1, 2, L"nKeyStyle"),
        Row::Int(IDC_EDIT_INCONFIGDLG, &CPelokeyPropPage::m_bInConfigDlg, L"bInConfigDlg"),
    };
    return rows;
}

const HandlerTable<CPelokeyPropPage>& CPelokeyPropPage::Handlers()
{
    static const HandlerTable<CPelokeyPropPage> table = {
        {},
        {
            { IDC_EDIT_KEYSTYLE, EN_CHANGE, &CPelokeyPropPage::OnChangeKeyStyle },
            { IDC_EDIT_SHIFT, EN_CHANGE, &CPelokeyPropPage::OnChangeShift },
        },
        {},
    };
    return table;
}

void CPelokeyPropPage::OnChangeKeyStyle()
{
    // A validation failure is reported by the framework; the page goes on with what it holds.
    UpdateData(true);
    if (m_nKeyStyle == 1) {
        Message(L"KEYSTYLE_CHAR");
        Enable(IDC_EDIT_KEYCHAR, true);
        Enable(IDC_EDIT_KEYSTRING, false);
        Enable(IDC_EDIT_SHIFT, false);
    } else if (m_nKeyStyle == 2) {
        Message(L"KEYSTYLE_STRING");
        Enable(IDC_EDIT_KEYCHAR, false);
        Enable(IDC_EDIT_KEYSTRING, true);
        Enable(IDC_EDIT_SHIFT, true);
    } else {
        Message(L"请输入的值界于1和2之间");
    }
}

void CPelokeyPropPage::OnChangeShift()
{
    UpdateData(true);
    if (m_bShift) {
        Enable(IDC_EDIT_KEYSTRING, false);
        m_strKeyString = L"Shift";
    } else {
        Enable(IDC_EDIT_KEYSTRING, true);
        m_strKeyString = L"Enter";
    }
    UpdateData(false);
}

void CPelokeyPropPage::Message(const wchar_t* text)
{
    pelo::dialog::ShowMessageBox(Hwnd(), text, Caption(), MB_OK);
}

void CPelokeyPropPage::Enable(int id, bool enable)
{
    ::EnableWindow(Item(id), enable ? TRUE : FALSE);
}

HRESULT CreatePelokeyPropPage(REFIID riid, void** ppv)
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    auto* page = new (std::nothrow) CPelokeyPropPage();
    if (!page) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = page->QueryInterface(riid, ppv);
    page->Release();
    return hr;
}
