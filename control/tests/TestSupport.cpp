#include "TestSupport.h"

#include <commctrl.h>

#include "PelokeyIds.h"
#include "PropertyStream.h"

#include <stdexcept>
#include <utility>

namespace pelokey::test {

HMODULE ControlLibrary()
{
    static HMODULE library = [] {
        wchar_t path[MAX_PATH];
        const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dir(path, n);
        dir.erase(dir.find_last_of(L'\\') + 1);
        return ::LoadLibraryW((dir + L"Pelokey.ocx").c_str());
    }();
    return library;
}

namespace {
pelo::ComPtr<IClassFactory> ClassObject(const CLSID& clsid)
{
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(ControlLibrary(), "DllGetClassObject")));
    pelo::ComPtr<IClassFactory> factory;
    if (get) {
        (void)get(clsid, IID_IClassFactory, factory.put_void());
    }
    return factory;
}
} // namespace

pelo::ComPtr<IUnknown> CreateControl()
{
    pelo::ComPtr<IUnknown> control;
    auto factory = ClassObject(CLSID_Pelokey);
    if (factory) {
        (void)factory->CreateInstance(nullptr, IID_IUnknown, control.put_void());
    }
    return control;
}

ClassRegistration::ClassRegistration(const CLSID& clsid)
{
    auto factory = ClassObject(clsid);
    m_hr = factory
        ? ::CoRegisterClassObject(clsid, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie)
        : E_FAIL;
}

ClassRegistration::~ClassRegistration()
{
    if (SUCCEEDED(m_hr)) {
        ::CoRevokeClassObject(m_cookie);
    }
}

pelo::ComPtr<IStream> StreamOf(const std::vector<std::uint8_t>& bytes)
{
    pelo::ComPtr<IStream> s;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, s.put()))) {
        return {};
    }
    ULONG written = 0;
    if (!bytes.empty()) {
        (void)s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    }
    LARGE_INTEGER zero {};
    (void)s->Seek(zero, STREAM_SEEK_SET, nullptr);
    return s;
}

std::vector<std::uint8_t> BytesOf(IStream* stream)
{
    STATSTG stat {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return {};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero {};
    (void)stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    if (!bytes.empty()) {
        (void)stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    }
    bytes.resize(got);
    return bytes;
}

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv)
{
    return pelo::com::QueryFromTable(
        { { IID_IUnknown, this }, { IID_IDispatch, this }, { DIID__DPelokeyEvents, this } }, riid, ppv);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* n)
{
    *n = 0;
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    calls.push_back(id);
    return S_OK;
}

Advise::Advise(IUnknown* control, const IID& iid, IUnknown* sink)
{
    pelo::ComPtr<IConnectionPointContainer> container;
    m_hr = control->QueryInterface(IID_IConnectionPointContainer, container.put_void());
    if (SUCCEEDED(m_hr)) {
        m_hr = container->FindConnectionPoint(iid, m_point.put());
    }
    if (SUCCEEDED(m_hr)) {
        m_hr = m_point->Advise(sink, &m_cookie);
    }
}

Advise::~Advise()
{
    if (SUCCEEDED(m_hr)) {
        m_point->Unadvise(m_cookie);
    }
}

namespace {
constexpr wchar_t HostClass[] = L"PelokeyTestHost";

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

pelo::UniqueHwnd CreateHostWindow()
{
    static const ATOM atom = [] {
        WNDCLASSW wc {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = HostClass;
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        return ::RegisterClassW(&wc);
    }();
    (void)atom;
    // A captionless popup: Wine leaves it to no window manager, so it goes without waiting for one.
    HWND hwnd = ::CreateWindowExW(0, HostClass, L"host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 300, 200, nullptr,
        nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return pelo::UniqueHwnd(hwnd);
}

FakeSite::FakeSite(RECT pos, HWND parent)
    : m_pos(pos)
    , m_ownWindow(parent ? pelo::UniqueHwnd() : CreateHostWindow())
    , m_parent(parent ? parent : m_ownWindow.get())
{
}

FakeSite::~FakeSite() = default;

STDMETHODIMP FakeSite::QueryInterface(REFIID riid, void** ppv)
{
    auto* client = static_cast<IOleClientSite*>(this);
    auto* inPlace = static_cast<IOleInPlaceSite*>(this);
    return pelo::com::QueryFromTable({ { IID_IUnknown, client }, { IID_IOleClientSite, client },
                                         { IID_IOleInPlaceSite, inPlace }, { IID_IOleWindow, inPlace } },
        riid, ppv);
}

STDMETHODIMP FakeSite::SaveObject()
{
    calls.emplace_back("SaveObject");
    return S_OK;
}
STDMETHODIMP FakeSite::GetMoniker(DWORD, DWORD, IMoniker** mk)
{
    *mk = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP FakeSite::GetContainer(IOleContainer** c)
{
    *c = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP FakeSite::ShowObject()
{
    calls.emplace_back("ShowObject");
    return S_OK;
}
STDMETHODIMP FakeSite::OnShowWindow(BOOL)
{
    return S_OK;
}
STDMETHODIMP FakeSite::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}
STDMETHODIMP FakeSite::GetWindow(HWND* hwnd)
{
    calls.emplace_back("GetWindow");
    *hwnd = m_parent;
    return S_OK;
}
STDMETHODIMP FakeSite::CanInPlaceActivate()
{
    calls.emplace_back("CanInPlaceActivate");
    return allowInPlace ? S_OK : S_FALSE;
}
STDMETHODIMP FakeSite::OnInPlaceActivate()
{
    calls.emplace_back("OnInPlaceActivate");
    return S_OK;
}
STDMETHODIMP FakeSite::OnUIActivate()
{
    calls.emplace_back("OnUIActivate");
    return S_OK;
}
STDMETHODIMP FakeSite::GetWindowContext(
    IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    calls.emplace_back("GetWindowContext");
    *frame = nullptr;
    *doc = nullptr;
    *pos = m_pos;
    *clip = m_pos;
    info->fMDIApp = FALSE;
    info->hwndFrame = m_parent;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}
STDMETHODIMP FakeSite::OnUIDeactivate(BOOL)
{
    calls.emplace_back("OnUIDeactivate");
    return S_OK;
}
STDMETHODIMP FakeSite::OnInPlaceDeactivate()
{
    calls.emplace_back("OnInPlaceDeactivate");
    return S_OK;
}
STDMETHODIMP FakeSite::OnPosRectChange(LPCRECT)
{
    calls.emplace_back("OnPosRectChange");
    return S_OK;
}

std::vector<MSG> TakePosted(HWND hwnd, UINT message)
{
    std::vector<MSG> taken;
    MSG msg;
    while (::PeekMessageW(&msg, hwnd, message, message, PM_REMOVE)) {
        taken.push_back(msg);
    }
    return taken;
}

namespace {
MessageBoxCatcher* g_catcher = nullptr;

BOOL CALLBACK CollectChild(HWND child, LPARAM lp)
{
    // Nothing is thrown back through the enumeration.
    try {
        auto* box = reinterpret_cast<MessageBoxCatcher::Box*>(lp);
        wchar_t cls[64] = L"";
        ::GetClassNameW(child, cls, 64);
        wchar_t text[512] = L"";
        ::GetWindowTextW(child, text, 512);
        if (::lstrcmpiW(cls, L"Static") == 0) {
            box->text += text;
        } else if (::lstrcmpiW(cls, L"Edit") == 0) {
            box->edits[::GetDlgCtrlID(child)] = text;
        } else if (::lstrcmpiW(cls, WC_TABCONTROLW) == 0) {
            const int count = static_cast<int>(::SendMessageW(child, TCM_GETITEMCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t name[128] = L"";
                TCITEMW item {};
                item.mask = TCIF_TEXT;
                item.pszText = name;
                item.cchTextMax = 128;
                ::SendMessageW(child, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
                box->tabs.emplace_back(name);
            }
        }
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}
} // namespace

MessageBoxCatcher::MessageBoxCatcher()
    : m_hook(::SetWindowsHookExW(WH_CBT, &MessageBoxCatcher::Hook, nullptr, ::GetCurrentThreadId()))
{
    g_catcher = this;
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    g_catcher = nullptr;
}

// Records and closes the box from a timer, once its pages and fields exist.
void CALLBACK MessageBoxCatcher::Collect(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(nullptr, timer);
    if (!g_catcher) {
        return;
    }
    for (HWND box : std::exchange(g_catcher->m_pending, {})) {
        if (!::IsWindow(box)) {
            continue;
        }
        // Nothing leaves the timer procedure; the box is closed either way.
        try {
            Box record;
            wchar_t caption[256] = L"";
            ::GetWindowTextW(box, caption, 256);
            record.caption = caption;
            ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&record));
            record.owner = ::GetWindow(box, GW_OWNER);
            g_catcher->boxes.push_back(record);
        } catch (...) {
        }
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    }
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_ACTIVATE && g_catcher) {
        HWND box = reinterpret_cast<HWND>(wp);
        wchar_t cls[32] = L"";
        ::GetClassNameW(box, cls, 32);
        if (::lstrcmpW(cls, L"#32770") == 0 && !(::GetWindowLongW(box, GWL_STYLE) & WS_CHILD)) {
            try {
                g_catcher->m_pending.push_back(box);
            } catch (...) {
                // Unrecorded, the box is still closed.
                ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            }
            ::SetTimer(nullptr, 0, 20, &MessageBoxCatcher::Collect);
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

FontFacts FontFactsOf(IFont* font)
{
    FontFacts facts;
    pelo::ComPtr<IPersistStream> persist;
    auto memory = StreamOf({});
    if (!font || FAILED(font->QueryInterface(IID_IPersistStream, persist.put_void()))
        || FAILED(persist->Save(memory.get(), FALSE))) {
        return facts;
    }
    const auto bytes = BytesOf(memory.get());
    stream::MemoryReader reader(bytes.data(), bytes.size());
    stream::StdFontData data;
    if (stream::ReadStdFontData(reader, data)) {
        facts.face = data.faceName;
        facts.sizeCy = data.sizeCy;
        facts.weight = data.weight;
        facts.flags = data.flags;
    }
    return facts;
}

std::vector<std::uint8_t> TemplateKeyStream(const wchar_t* keyChar, const wchar_t* keyString,
    int bInConfigDlg, int bShift, short nKeyStyle, int extentX)
{
    stream::KeyProps props;
    props.extentX = extentX;
    props.extentY = 873;
    props.bSendMsg = 1;
    props.bInConfigDlg = bInConfigDlg;
    props.bShift = bShift;
    props.nKeyStyle = nKeyStyle;
    props.strKeyChar.assign(keyChar, keyChar + ::lstrlenW(keyChar));
    props.strKeyString.assign(keyString, keyString + ::lstrlenW(keyString));
    stream::MemoryWriter writer;
    stream::StdFontData font; // "MS Sans Serif", 8.25 points, weight 400
    if (!stream::WriteKeyProps(writer, props)
        || !stream::WriteFontHeader(writer, stream::FontMarker::FontObject)
        || !stream::WriteStdFontData(writer, font)) {
        throw std::runtime_error("stream codec refused a template key");
    }
    return writer.Bytes();
}

} // namespace pelokey::test
