// The control container driven through dialogs created from this program's templates, with the
// real key button library (Pelokey.ocx beside the program, its class not registered) and with a
// fake control that records what the container asks of it.
#include "framework/com/ComObject.h"
#include "framework/container/ControlContainer.h"
#include "framework/dialog/Dialog.h"

#include "PelokeyIds.h"
#include "TestKeys.h"

#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelo;
using namespace pelo::container;
using pelo::dialog::DialogT;
using pelo::dialog::ExchangeRow;
using pelo::dialog::HandlerTable;

namespace {

class OleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The fallback library is taken from the working folder: this program's own, where the
        // library of its architecture is copied (one test tree holds both architectures' tests
        // under the same names, so the folder ctest starts a test in is not to be relied on).
        wchar_t path[MAX_PATH] = L"";
        const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path, n);
        folder.resize(folder.find_last_of(L"\\/"));
        ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    }
    void TearDown() override { ::OleUninitialize(); }
};

const std::u16string ClassName = u"PeloDialog";

struct Resource {
    const void* data = nullptr;
    std::size_t size = 0;
};
Resource FindTemplate(UINT id, const wchar_t* type = MAKEINTRESOURCEW(5))
{
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    return { loaded ? ::LockResource(loaded) : nullptr, found ? ::SizeofResource(module, found) : 0 };
}

std::vector<int> ChildIds(HWND parent)
{
    std::vector<int> ids;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ids.push_back(::GetDlgCtrlID(child));
    }
    return ids;
}

HRESULT GetProperty(IDispatch* object, DISPID id, VARIANT& value)
{
    DISPPARAMS none {};
    return object->Invoke(
        id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
}

std::wstring StringProperty(IDispatch* object, DISPID id)
{
    VARIANT value;
    ::VariantInit(&value);
    std::wstring text = L"<failed>";
    if (SUCCEEDED(GetProperty(object, id, value)) && V_VT(&value) == VT_BSTR) {
        text = V_BSTR(&value);
    }
    ::VariantClear(&value);
    return text;
}

class KeysDialog : public DialogT<KeysDialog> {
public:
    explicit KeysDialog(UINT templateId)
        : DialogT(::GetModuleHandleW(nullptr), templateId)
    {
    }
    static const HandlerTable<KeysDialog>& Handlers()
    {
        static const HandlerTable<KeysDialog> table = [] {
            HandlerTable<KeysDialog> t;
            t.events = { { 1049, DISPID_CLICK, &KeysDialog::OnShiftClick },
                { 1013, DISPID_DBLCLICK, &KeysDialog::OnShiftClick } };
            return t;
        }();
        return table;
    }
    static const std::vector<ExchangeRow<KeysDialog>>& ExchangeRows()
    {
        static const std::vector<ExchangeRow<KeysDialog>> none;
        return none;
    }

    int shiftClicks = 0;
    bool initialised = false;
    IDispatch* keyAtInit = nullptr;

protected:
    BOOL OnInitDialog() override
    {
        initialised = true;
        keyAtInit = ControlDispatch(1012);
        return FALSE;
    }

private:
    void OnShiftClick() { ++shiftClicks; }
};

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void Click(HWND window)
{
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

} // namespace

TEST(DialogTemplate, Prepare_MixedControls_TakesClassIdsKeepsTheRest)
{
    for (const UINT id : { 200u, 201u }) {
        const Resource resource = FindTemplate(id);
        ASSERT_NE(resource.data, nullptr);
        PreparedTemplate prepared;
        ASSERT_TRUE(PrepareDialogTemplate(resource.data, resource.size, ClassName, prepared)) << id;
        EXPECT_EQ(prepared.extended, id == 200);
        ASSERT_EQ(prepared.controls.size(), 3u) << id;
        const TemplateControl& shift = prepared.controls[0];
        const TemplateControl& lower = prepared.controls[2];
        EXPECT_EQ(shift.id, 1049);
        EXPECT_EQ(prepared.controls[1].id, 1012);
        EXPECT_EQ(lower.id, 1013);
        CLSID clsid;
        memcpy(&clsid, &lower.clsid, sizeof clsid);
        EXPECT_TRUE(IsEqualCLSID(clsid, pelokey::CLSID_Pelokey)) << "hexadecimal digits of either case";
        EXPECT_EQ((std::vector<int> { shift.x, shift.y, shift.cx, shift.cy }),
            (std::vector<int> { 150, 68, 44, 22 }));
        EXPECT_EQ(lower.style & (WS_TABSTOP | WS_GROUP | WS_CHILD),
            static_cast<DWORD>(WS_TABSTOP | WS_GROUP | WS_CHILD));
        EXPECT_EQ((std::vector<std::size_t> { shift.index, prepared.controls[1].index, lower.index }),
            (std::vector<std::size_t> { 0, 2, 3 }));
        EXPECT_EQ((std::vector<std::size_t> {
                      shift.ordinaryBefore, prepared.controls[1].ordinaryBefore, lower.ordinaryBefore }),
            (std::vector<std::size_t> { 0, 1, 1 }));

        // The system creates the prepared template (with the system's class here), and only the
        // ordinary items, in order; the template as it stands cannot be created at all.
        PreparedTemplate plain;
        ASSERT_TRUE(PrepareDialogTemplate(resource.data, resource.size, u"", plain));
        UniqueHwnd dialog(::CreateDialogIndirectParamW(
            nullptr, reinterpret_cast<const DLGTEMPLATE*>(plain.bytes.data()), nullptr, nullptr, 0));
        ASSERT_TRUE(dialog) << id;
        EXPECT_EQ(ChildIds(dialog.get()), (std::vector<int> { 1001, 1002 }));
        UniqueHwnd raw(::CreateDialogIndirectParamW(
            nullptr, static_cast<const DLGTEMPLATE*>(resource.data), nullptr, nullptr, 0));
        EXPECT_FALSE(raw) << id;

        // Every shorter copy is refused, without reading past its end.
        for (std::size_t size = 0; size < resource.size - 2; ++size) {
            const std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(resource.data),
                static_cast<const std::uint8_t*>(resource.data) + size);
            EXPECT_FALSE(PrepareDialogTemplate(copy.data(), copy.size(), ClassName, plain))
                << id << " " << size;
        }
    }
}

TEST(DialogTemplate, LoadDialogInit_Resource_ExactStreamsOfStateRecords)
{
    std::vector<InitRecord> records;
    ASSERT_TRUE(LoadDialogInit(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(200), records));
    ASSERT_EQ(records.size(), 2u) << "the list-box string record is not a control's state";
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].id, test::RecordedKeys[i].id);
        EXPECT_EQ(records[i].stream, test::KeyStream(test::RecordedKeys[i]));
    }
    ASSERT_TRUE(LoadDialogInit(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(201), records));
    EXPECT_TRUE(records.empty()) << "no resource: no records";
}

using ControlContainerTest = OleFixture;

TEST_F(ControlContainerTest, Dialog_KeysFromRecords_BoundByIdInTemplateOrder)
{
    ComPtr<IUnknown> registered;
    ASSERT_EQ(::CoCreateInstance(
                  pelokey::CLSID_Pelokey, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, registered.put_void()),
        REGDB_E_CLASSNOTREG)
        << "the test prefix must not know the class: the library's fallback is under test";
    SetFallbackLibrary(pelokey::CLSID_Pelokey, L"Pelokey.ocx");

    KeysDialog dlg(200);
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_TRUE(dlg.initialised);
    EXPECT_NE(dlg.keyAtInit, nullptr) << "controls exist before the derived initialisation";
    EXPECT_EQ(ChildIds(dlg.Hwnd()), (std::vector<int> { 1049, 1001, 1012, 1013, 1002 }));

    for (const int id : { 1049, 1012, 1013 }) {
        IDispatch* key = dlg.ControlDispatch(id);
        ASSERT_NE(key, nullptr) << id;
        HWND window = nullptr;
        ComPtr<IOleWindow> oleWindow;
        ASSERT_TRUE(SUCCEEDED(key->QueryInterface(IID_IOleWindow, oleWindow.put_void())));
        ASSERT_TRUE(SUCCEEDED(oleWindow->GetWindow(&window)));
        EXPECT_EQ(dlg.Item(id), window) << id;
        EXPECT_EQ(::GetParent(window), dlg.Hwnd());
        EXPECT_TRUE(::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) << id;
    }
    RECT want { 23, 20, 45, 42 };
    ::MapDialogRect(dlg.Hwnd(), &want);
    RECT got {};
    ::GetWindowRect(dlg.Item(1013), &got);
    ::MapWindowPoints(nullptr, dlg.Hwnd(), reinterpret_cast<POINT*>(&got), 2);
    EXPECT_TRUE(::EqualRect(&want, &got));
    EXPECT_TRUE(::GetWindowLongW(dlg.Item(1013), GWL_STYLE) & WS_GROUP) << "the template's tab group";

    // State from the records; the key without a record starts new.
    EXPECT_EQ(StringProperty(dlg.ControlDispatch(1012), pelokey::DISPID_strKeyChar), L"1");
    EXPECT_EQ(StringProperty(dlg.ControlDispatch(1049), pelokey::DISPID_strKeyString), L"Shift");
    EXPECT_EQ(StringProperty(dlg.ControlDispatch(1013), pelokey::DISPID_strKeyString), L"Enter");
    VARIANT style;
    ::VariantInit(&style);
    ASSERT_TRUE(SUCCEEDED(GetProperty(dlg.ControlDispatch(1049), pelokey::DISPID_nKeyStyle, style)));
    EXPECT_EQ(V_I2(&style), 2);

    // The stock Click reaches the row of its control only.
    Click(dlg.Item(1049));
    EXPECT_EQ(dlg.shiftClicks, 1);
    Click(dlg.Item(1012));
    Click(dlg.Item(1013));
    EXPECT_EQ(dlg.shiftClicks, 1);

    dlg.Destroy();
    EXPECT_EQ(dlg.ControlDispatch(1012), nullptr);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    const auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"Pelokey.ocx"), "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr) << "the library stays loaded";
    EXPECT_EQ(canUnload(), S_OK) << "every control released with the dialog";
}

TEST_F(ControlContainerTest, DoModal_ClassNobodyServes_MinusOneBeforeInit)
{
    const Resource resource = FindTemplate(202);
    PreparedTemplate prepared;
    ASSERT_TRUE(PrepareDialogTemplate(resource.data, resource.size, ClassName, prepared));
    ASSERT_EQ(prepared.controls.size(), 1u);
    CLSID unknown;
    memcpy(&unknown, &prepared.controls[0].clsid, sizeof unknown);

    for (const bool withLibrary : { false, true }) {
        if (withLibrary) {
            SetFallbackLibrary(unknown, L"NoSuchLibrary.ocx");
        }
        KeysDialog dlg(202);
        EXPECT_EQ(dlg.DoModal(nullptr), -1);
        EXPECT_FALSE(dlg.initialised);
        EXPECT_EQ(dlg.Hwnd(), nullptr);
        EXPECT_FALSE(dlg.Create(nullptr));
        EXPECT_FALSE(dlg.initialised);
    }
    int windows = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 0) << "no dialog window is left behind";
}

// ---- what the container asks of a control, in order

namespace {

// {6B3E1C0A-2F4D-4E5B-9A1C-7D8E9F0A1B2C}
constexpr CLSID CLSID_Recorder
    = { 0x6B3E1C0A, 0x2F4D, 0x4E5B, { 0x9A, 0x1C, 0x7D, 0x8E, 0x9F, 0x0A, 0x1B, 0x2C } };

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RecordingControl final : public IOleObject, public IPersistStreamInit {
public:
    explicit RecordingControl(std::vector<std::string>& calls)
        : m_calls(calls)
    {
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return com::QueryFromTable({ { IID_IUnknown, static_cast<IOleObject*>(this) },
                                       { IID_IOleObject, static_cast<IOleObject*>(this) },
                                       { IID_IPersist, static_cast<IPersistStreamInit*>(this) },
                                       { IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this) } },
            riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        if (--m_refs == 0) {
            m_calls.push_back("released");
            delete this;
            return 0;
        }
        return m_refs;
    }
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        ComPtr<IOleInPlaceSite> inPlace;
        m_calls.push_back(!site ? "SetClientSite(null)"
                : SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.put_void()))
                ? "SetClientSite(in-place site)"
                : "SetClientSite(site)");
        m_site = ComPtr<IOleClientSite>(site);
        return S_OK;
    }
    STDMETHODIMP Close(DWORD option) override
    {
        m_calls.push_back("Close(" + std::to_string(option) + ")");
        return S_OK;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT) override
    {
        m_calls.push_back("DoVerb(" + std::to_string(verb) + (parent ? ", dialog)" : ", no window)"));
        return S_OK;
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override
    {
        *status = 0;
        return S_OK;
    }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override
    {
        m_calls.push_back("SetExtent");
        return S_OK;
    }
    STDMETHODIMP Load(LPSTREAM stream) override
    {
        char bytes[16] = {};
        ULONG read = 0;
        stream->Read(bytes, sizeof bytes, &read);
        m_calls.push_back("Load(" + std::string(bytes, read) + ")");
        return S_OK;
    }
    STDMETHODIMP InitNew() override
    {
        m_calls.push_back("InitNew");
        return S_OK;
    }
    // Not asked for by the container.
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

private:
    ~RecordingControl() = default;
    std::vector<std::string>& m_calls;
    ULONG m_refs = 1;
    ComPtr<IOleClientSite> m_site;
};

class RecorderFactory final : public IClassFactory {
public:
    std::vector<std::string> calls;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return com::QueryFromTable({ { IID_IUnknown, this }, { IID_IClassFactory, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** ppv) override
    {
        auto* control = new RecordingControl(calls);
        const HRESULT hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
#pragma GCC diagnostic pop

} // namespace

TEST_F(ControlContainerTest, Create_RegisteredClass_LoadsActivatesInPlaceClosesBeforeDroppingSite)
{
    RecorderFactory factory;
    DWORD cookie = 0;
    ASSERT_TRUE(SUCCEEDED(::CoRegisterClassObject(
        CLSID_Recorder, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)));
    UniqueHwnd dialog(
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));

    std::vector<TemplateControl> controls(2);
    controls[0].id = 7;
    controls[1].id = 8;
    for (TemplateControl& c : controls) {
        memcpy(static_cast<void*>(&c.clsid), &CLSID_Recorder, sizeof c.clsid);
        c.cx = c.cy = 10;
    }
    const std::vector<InitRecord> records = { { 8, { 'k', 'e', 'y' } } };
    {
        ControlContainer container;
        ASSERT_EQ(container.Create(dialog.get(), controls, records, nullptr), S_OK);
        EXPECT_NE(container.Control(8), nullptr);
        EXPECT_EQ(container.Dispatch(8), nullptr) << "the recorder has no dispatch interface";
        container.Destroy();
        EXPECT_EQ(container.Control(8), nullptr);
    }
    ::CoRevokeClassObject(cookie);
    const std::vector<std::string> one
        = { "SetClientSite(in-place site)", "SetExtent", "DoVerb(-5, dialog)" };
    std::vector<std::string> want = { "InitNew" };
    want.insert(want.end(), one.begin(), one.end());
    want.push_back("Load(key)");
    want.insert(want.end(), one.begin(), one.end());
    for (int i = 0; i < 2; ++i) {
        want.insert(want.end(), { "Close(1)", "SetClientSite(null)", "released" });
    }
    EXPECT_EQ(factory.calls, want);
}
