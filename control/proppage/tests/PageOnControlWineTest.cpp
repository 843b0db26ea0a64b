// The property page and the key button control both from Pelokey.ocx, created through the
// library's class objects: the page shows the control's properties and Apply sets them.
#include <ole2.h>
#include <olectl.h>

#include "PelokeyIds.h"
#include "PropPageIds.h"
#include "framework/ComPtr.h"
#include "framework/UniqueHandle.h"
#include "framework/activex/DispatchCall.h"

#include <gtest/gtest.h>

#include <string>

using pelo::ComPtr;
using pelo::com::Variant;

namespace {

class PageOnControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(::OleInitialize(nullptr));
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path = self;
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"Pelokey.ocx";
        library.reset(::LoadLibraryW(path.c_str()));
        ASSERT_TRUE(library);
        ASSERT_HRESULT_SUCCEEDED(Create(pelokey::CLSID_Pelokey, IID_IDispatch, control.put_void()));
        ASSERT_HRESULT_SUCCEEDED(Create(pelokey::CLSID_PelokeyPropPage, IID_IPropertyPage, page.put_void()));
        parent.reset(::CreateWindowExW(
            0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr, nullptr, nullptr));
    }
    void TearDown() override
    {
        if (page) {
            page->Deactivate();
            page->SetObjects(0, nullptr);
        }
        page.reset();
        control.reset();
        parent.reset();
        ::OleUninitialize();
    }
    HRESULT Create(REFCLSID clsid, REFIID iid, void** out)
    {
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllGetClassObject")));
        ComPtr<IClassFactory> factory;
        const HRESULT hr = get ? get(clsid, IID_IClassFactory, factory.put_void()) : E_NOTIMPL;
        return FAILED(hr) ? hr : factory->CreateInstance(nullptr, iid, out);
    }
    Variant Get(DISPID id)
    {
        Variant v;
        EXPECT_HRESULT_SUCCEEDED(pelo::activex::GetProperty(control.get(), id, v));
        return v;
    }
    std::wstring Field(int id)
    {
        wchar_t text[64] = {};
        ::GetDlgItemTextW(::GetWindow(parent.get(), GW_CHILD), id, text, 64);
        return text;
    }
    void Type(int id, const wchar_t* text)
    {
        ::SetDlgItemTextW(::GetWindow(parent.get(), GW_CHILD), id, text);
    }

    pelo::UniqueHmodule library;
    pelo::UniqueHwnd parent;
    ComPtr<IDispatch> control;
    ComPtr<IPropertyPage> page;
};

} // namespace

TEST_F(PageOnControl, Apply_ChangedFields_SetOnTheControl)
{
    IUnknown* object = control.get();
    ASSERT_HRESULT_SUCCEEDED(page->SetObjects(1, &object));
    RECT rc { 0, 0, 400, 300 };
    ASSERT_HRESULT_SUCCEEDED(page->Activate(parent.get(), &rc, TRUE));

    // A new control holds its construction values.
    EXPECT_EQ(Field(IDC_EDIT_SENDMSG), L"1");
    EXPECT_EQ(Field(IDC_EDIT_KEYSTYLE), L"1");
    EXPECT_EQ(Field(IDC_EDIT_KEYCHAR), L"Q");
    EXPECT_EQ(Field(IDC_EDIT_KEYSTRING), L"Enter");
    EXPECT_EQ(Field(IDC_EDIT_SHIFT), L"0");
    EXPECT_EQ(Field(IDC_EDIT_INCONFIGDLG), L"0");

    Type(IDC_EDIT_SENDMSG, L"0");
    Type(IDC_EDIT_KEYCHAR, L"B");
    Type(IDC_EDIT_INCONFIGDLG, L"1");
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    ASSERT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);

    Variant v = Get(pelokey::DISPID_bSendMsg);
    EXPECT_EQ(V_VT(&v.v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v.v), VARIANT_FALSE);
    v = Get(pelokey::DISPID_bInConfigDlg);
    EXPECT_NE(V_BOOL(&v.v), VARIANT_FALSE);
    v = Get(pelokey::DISPID_strKeyChar);
    ASSERT_EQ(V_VT(&v.v), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&v.v), L"B");
    v = Get(pelokey::DISPID_nKeyStyle);
    EXPECT_EQ(V_I2(&v.v), 1) << "unchanged fields are not written";
}
