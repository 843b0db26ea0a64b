#include "framework/activex/ControlBase.h"

#include "framework/com/ComObject.h"
#include "framework/com/NoThrow.h"

#include <cstddef>
#include <new>

namespace pelo::activex {
namespace {

constexpr wchar_t ControlWindowClass[] = L"PeloAxControlWindow";
ITypeLib* g_typeLib = nullptr;
ATOM g_windowClass = 0;

ATOM EnsureWindowClass() noexcept
{
    if (!g_windowClass) {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        // Double-clicks arrive as such: a second quick press is not a second press.
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = com::ModuleInstance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = ControlWindowClass;
        g_windowClass = ::RegisterClassExW(&wc);
    }
    return g_windowClass;
}

LONG PixelsToHimetric(int pixels, int dpi) noexcept
{
    return ::MulDiv(pixels, 2540, dpi > 0 ? dpi : 96);
}

SIZEL PixelSizeToHimetric(int cx, int cy) noexcept
{
    HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return SIZEL { PixelsToHimetric(cx, dpiX), PixelsToHimetric(cy, dpiY) };
}

// BeginPaint and EndPaint for a scope, so that a throwing paint still ends the paint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept
        : m_hwnd(hwnd)
        , m_dc(::BeginPaint(hwnd, &m_ps))
    {
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(m_hwnd, &m_ps); }
    [[nodiscard]] HDC dc() const noexcept { return m_dc; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps {};
    HDC m_dc;
};

} // namespace

HRESULT GetModuleTypeLib(ITypeLib** lib) noexcept
{
    if (!lib) {
        return E_POINTER;
    }
    *lib = nullptr;
    if (!g_typeLib) {
        wchar_t path[MAX_PATH];
        const DWORD n = ::GetModuleFileNameW(com::ModuleInstance(), path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) {
            return E_FAIL;
        }
        const HRESULT hr = ::LoadTypeLibEx(path, REGKIND_NONE, &g_typeLib);
        if (FAILED(hr)) {
            return hr;
        }
    }
    *lib = g_typeLib;
    g_typeLib->AddRef();
    return S_OK;
}

void ReleaseModuleResources() noexcept
{
    if (g_typeLib) {
        g_typeLib->Release();
        g_typeLib = nullptr;
    }
    if (g_windowClass) {
        ::UnregisterClassW(ControlWindowClass, com::ModuleInstance());
        g_windowClass = 0;
    }
}

ControlBase::ControlBase(const ControlDescription& description) noexcept
    : m_description(description)
    , m_extent(description.defaultExtent)
    , m_eventPoint(this, *description.eventsIid, true)
    , m_propertyPoint(this, IID_IPropertyNotifySink, false)
{
}

ControlBase::~ControlBase()
{
    DestroyControlWindow();
}

void ControlBase::DestroyControlWindow() noexcept
{
    if (m_window) {
        // Cut the window off first: messages sent while it goes must not reach a dying object.
        ::SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(m_window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcW));
        m_window.reset();
    }
    m_buttons = 0;
}

// ---- IUnknown

STDMETHODIMP ControlBase::QueryInterface(REFIID riid, void** ppv)
{
    auto* dispatch = static_cast<IDispatch*>(this);
    auto* inPlace = static_cast<IOleInPlaceObject*>(this);
    auto* view = static_cast<IViewObject2*>(this);
    // IPersistStreamInit extends IPersistStream's methods in the same order.
    auto* persist = static_cast<IPersistStreamInit*>(this);
    auto* classInfo = static_cast<IProvideClassInfo2*>(this);
    return com::QueryFromTable(
        {
            { IID_IUnknown, dispatch },
            { IID_IDispatch, dispatch },
            { *m_description.dispatchIid, dispatch },
            { IID_IOleObject, static_cast<IOleObject*>(this) },
            { IID_IOleWindow, inPlace },
            { IID_IOleInPlaceObject, inPlace },
            { IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this) },
            { IID_IOleControl, static_cast<IOleControl*>(this) },
            { IID_IViewObject, view },
            { IID_IViewObject2, view },
            { IID_IPersist, persist },
            { IID_IPersistStreamInit, persist },
            { IID_IPersistStream, persist },
            { IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this) },
            { IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this) },
            { IID_IProvideClassInfo, classInfo },
            { IID_IProvideClassInfo2, classInfo },
            { IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this) },
            { IID_IQuickActivate, static_cast<IQuickActivate*>(this) },
        },
        riid, ppv);
}

STDMETHODIMP_(ULONG) ControlBase::AddRef()
{
    return m_refs.Increment();
}

STDMETHODIMP_(ULONG) ControlBase::Release()
{
    const ULONG refs = m_refs.Decrement();
    if (refs == 0) {
        delete this;
    }
    return refs;
}

// ---- IDispatch

HRESULT ControlBase::DispatchTypeInfo(ITypeInfo** info) noexcept
{
    ComPtr<ITypeLib> lib;
    const HRESULT hr = GetModuleTypeLib(lib.put());
    if (FAILED(hr)) {
        return hr;
    }
    return lib->GetTypeInfoOfGuid(*m_description.dispatchIid, info);
}

STDMETHODIMP ControlBase::GetTypeInfoCount(UINT* count)
{
    if (!count) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

STDMETHODIMP ControlBase::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info) {
        return E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    return DispatchTypeInfo(info);
}

STDMETHODIMP ControlBase::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!names || !ids) {
        return E_POINTER;
    }
    ComPtr<ITypeInfo> info;
    const HRESULT hr = DispatchTypeInfo(info.put());
    if (FAILED(hr)) {
        return hr;
    }
    return info->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP ControlBase::Invoke(
    DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT* argErr)
{
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (result) {
        ::VariantInit(result);
    }
    ComPtr<IUnknown> keepAlive(identity());
    return com::CallNoThrow([&] { return InvokeMember(id, flags, params, result, argErr); }, E_UNEXPECTED);
}

// ---- IOleObject

STDMETHODIMP ControlBase::SetClientSite(IOleClientSite* site)
{
    if (!site && InPlaceActive()) {
        (void)InPlaceDeactivate();
    }
    m_clientSite = ComPtr<IOleClientSite>(site);
    return S_OK;
}

STDMETHODIMP ControlBase::GetClientSite(IOleClientSite** site)
{
    if (!site) {
        return E_POINTER;
    }
    *site = m_clientSite.get();
    if (*site) {
        (*site)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP ControlBase::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP ControlBase::Close(DWORD saveOption)
{
    ComPtr<IUnknown> keepAlive(identity());
    if (InPlaceActive()) {
        (void)InPlaceDeactivate();
    }
    if (m_clientSite && m_dirty
        && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
        (void)m_clientSite->SaveObject();
    }
    if (m_adviseHolder) {
        (void)m_adviseHolder->SendOnClose();
    }
    return S_OK;
}

STDMETHODIMP ControlBase::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::GetMoniker(DWORD, DWORD, IMoniker** mk)
{
    if (mk) {
        *mk = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::GetClipboardData(DWORD, IDataObject** data)
{
    if (data) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT pos)
{
    ComPtr<IUnknown> keepAlive(identity());
    if (site && !m_clientSite) {
        m_clientSite = ComPtr<IOleClientSite>(site);
    }
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_UIACTIVATE: {
        const HRESULT hr = InPlaceActivate(verb, pos);
        return FAILED(hr) ? hr : UIActivate();
    }
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(verb, pos);
    case OLEIVERB_HIDE:
        (void)UIDeactivate();
        if (m_window) {
            ::ShowWindow(m_window.get(), SW_HIDE);
        }
        return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;
    case OLEIVERB_PROPERTIES:
    case 1: // the properties entry of the verb list
        return ShowProperties(parent);
    default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP ControlBase::EnumVerbs(IEnumOLEVERB** e)
{
    if (!e) {
        return E_POINTER;
    }
    return ::OleRegEnumVerbs(*m_description.clsid, e);
}

STDMETHODIMP ControlBase::Update()
{
    return S_OK;
}

STDMETHODIMP ControlBase::IsUpToDate()
{
    return S_OK;
}

STDMETHODIMP ControlBase::GetUserClassID(CLSID* clsid)
{
    if (!clsid) {
        return E_POINTER;
    }
    *clsid = *m_description.clsid;
    return S_OK;
}

STDMETHODIMP ControlBase::GetUserType(DWORD, LPOLESTR* type)
{
    if (!type) {
        return E_POINTER;
    }
    *type = nullptr;
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(
        com::ModuleInstance(), m_description.userTypeNameId, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0) {
        return ::OleRegGetUserType(*m_description.clsid, USERCLASSTYPE_FULL, type);
    }
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc((static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t)));
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    ::CopyMemory(copy, text, static_cast<SIZE_T>(length) * sizeof(wchar_t));
    copy[length] = L'\0';
    *type = copy;
    return S_OK;
}

STDMETHODIMP ControlBase::SetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (size->cx != m_extent.cx || size->cy != m_extent.cy) {
        m_extent = *size;
        m_dirty = true;
    }
    return S_OK;
}

STDMETHODIMP ControlBase::GetExtent(DWORD aspect, SIZEL* size)
{
    if (!size) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = m_extent;
    return S_OK;
}

STDMETHODIMP ControlBase::Advise(IAdviseSink* sink, DWORD* cookie)
{
    if (!m_adviseHolder) {
        const HRESULT hr = ::CreateOleAdviseHolder(m_adviseHolder.put());
        if (FAILED(hr)) {
            return hr;
        }
    }
    return m_adviseHolder->Advise(sink, cookie);
}

STDMETHODIMP ControlBase::Unadvise(DWORD cookie)
{
    return m_adviseHolder ? m_adviseHolder->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ControlBase::EnumAdvise(IEnumSTATDATA** e)
{
    if (!e) {
        return E_POINTER;
    }
    *e = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(e) : S_OK;
}

STDMETHODIMP ControlBase::GetMiscStatus(DWORD aspect, DWORD* status)
{
    if (!status) {
        return E_POINTER;
    }
    *status = aspect == DVASPECT_CONTENT ? m_description.miscStatus : 0;
    return S_OK;
}

STDMETHODIMP ControlBase::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

// ---- activation

HRESULT ControlBase::InPlaceActivate(LONG verb, LPCRECT posHint) noexcept
{
    if (!m_clientSite) {
        return E_UNEXPECTED;
    }
    if (!InPlaceActive()) {
        ComPtr<IOleInPlaceSite> site;
        if (FAILED(m_clientSite.As(site))) {
            return OLE_E_NOT_INPLACEACTIVE;
        }
        if (site->CanInPlaceActivate() != S_OK) {
            return verb == OLEIVERB_INPLACEACTIVATE ? E_FAIL : OLE_E_NOT_INPLACEACTIVE;
        }
        m_inPlaceSite = site;
        (void)m_inPlaceSite->OnInPlaceActivate();
    }
    if (!m_window) {
        HWND parent = nullptr;
        if (FAILED(m_inPlaceSite->GetWindow(&parent)) || !parent) {
            (void)InPlaceDeactivate();
            return E_FAIL;
        }
        RECT pos {}, clip {};
        OLEINPLACEFRAMEINFO frameInfo {};
        frameInfo.cb = sizeof(frameInfo);
        m_frame.reset();
        m_uiWindow.reset();
        if (FAILED(m_inPlaceSite->GetWindowContext(m_frame.put(), m_uiWindow.put(), &pos, &clip, &frameInfo))
            && posHint) {
            pos = *posHint;
        }
        if (!EnsureWindowClass()) {
            (void)InPlaceDeactivate();
            return HRESULT_FROM_WIN32(::GetLastError());
        }
        HWND hwnd
            = ::CreateWindowExW(0, ControlWindowClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, pos.left, pos.top,
                pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, com::ModuleInstance(), nullptr);
        if (!hwnd) {
            const HRESULT hr = HRESULT_FROM_WIN32(::GetLastError());
            (void)InPlaceDeactivate();
            return hr;
        }
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlBase::WindowProc));
        m_window.reset(hwnd);
        if (pos.right > pos.left && pos.bottom > pos.top) {
            m_extent = PixelSizeToHimetric(pos.right - pos.left, pos.bottom - pos.top);
        }
    }
    ::ShowWindow(m_window.get(), SW_SHOWNA);
    return S_OK;
}

HRESULT ControlBase::UIActivate() noexcept
{
    if (!InPlaceActive() || m_uiActive) {
        return S_OK;
    }
    m_uiActive = true;
    (void)m_inPlaceSite->OnUIActivate();
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (m_frame) {
        (void)m_frame->SetActiveObject(active, nullptr);
    }
    if (m_uiWindow) {
        (void)m_uiWindow->SetActiveObject(active, nullptr);
    }
    if (m_window && ::GetFocus() != m_window.get()) {
        ::SetFocus(m_window.get());
    }
    return S_OK;
}

STDMETHODIMP ControlBase::GetWindow(HWND* hwnd)
{
    if (!hwnd) {
        return E_POINTER;
    }
    *hwnd = m_window.get();
    return m_window ? S_OK : E_FAIL;
}

STDMETHODIMP ControlBase::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::InPlaceDeactivate()
{
    if (!InPlaceActive()) {
        return S_OK;
    }
    ComPtr<IUnknown> keepAlive(identity());
    (void)UIDeactivate();
    ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
    DestroyControlWindow();
    m_frame.reset();
    m_uiWindow.reset();
    if (site) {
        (void)site->OnInPlaceDeactivate();
    }
    return S_OK;
}

STDMETHODIMP ControlBase::UIDeactivate()
{
    if (!m_uiActive) {
        return S_OK;
    }
    m_uiActive = false;
    if (m_uiWindow) {
        (void)m_uiWindow->SetActiveObject(nullptr, nullptr);
    }
    if (m_frame) {
        (void)m_frame->SetActiveObject(nullptr, nullptr);
    }
    if (m_inPlaceSite) {
        (void)m_inPlaceSite->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP ControlBase::SetObjectRects(LPCRECT pos, LPCRECT)
{
    if (!pos) {
        return E_POINTER;
    }
    if (m_window) {
        ::MoveWindow(
            m_window.get(), pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    }
    if (pos->right > pos->left && pos->bottom > pos->top) {
        m_extent = PixelSizeToHimetric(pos->right - pos->left, pos->bottom - pos->top);
    }
    return S_OK;
}

STDMETHODIMP ControlBase::ReactivateAndUndo()
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::TranslateAccelerator(LPMSG)
{
    return S_FALSE;
}

STDMETHODIMP ControlBase::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP ControlBase::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP ControlBase::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

STDMETHODIMP ControlBase::EnableModeless(BOOL)
{
    return S_OK;
}

// ---- IOleControl

STDMETHODIMP ControlBase::GetControlInfo(CONTROLINFO* info)
{
    if (!info) {
        return E_POINTER;
    }
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP ControlBase::OnMnemonic(MSG*)
{
    return S_OK;
}

STDMETHODIMP ControlBase::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

STDMETHODIMP ControlBase::FreezeEvents(BOOL freeze)
{
    if (freeze) {
        ++m_freeze;
    } else if (m_freeze > 0) {
        --m_freeze;
    }
    return S_OK;
}

// ---- IViewObject2

STDMETHODIMP ControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (!dc || !bounds) {
        return E_INVALIDARG;
    }
    const int saved = ::SaveDC(dc);
    RECT rect { 0, 0, bounds->right - bounds->left, bounds->bottom - bounds->top };
    // The face is drawn relative to the origin: move the origin to the picture's corner.
    if (::GetMapMode(dc) == MM_TEXT) {
        ::OffsetViewportOrgEx(dc, bounds->left, bounds->top, nullptr);
    } else {
        rect = RECT { bounds->left, bounds->top, bounds->right, bounds->bottom };
    }
    const HRESULT hr = com::CallNoThrow([&] {
        OnDraw(dc, rect);
        return S_OK;
    });
    ::RestoreDC(dc, saved);
    return hr;
}

STDMETHODIMP ControlBase::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors)
{
    if (colors) {
        *colors = nullptr;
    }
    return S_FALSE;
}

STDMETHODIMP ControlBase::Freeze(DWORD, LONG, void*, DWORD*)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP ControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    m_viewSink = ComPtr<IAdviseSink>(sink);
    m_viewAspects = aspects;
    m_viewFlags = flags;
    return S_OK;
}

STDMETHODIMP ControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects) {
        *aspects = m_viewAspects;
    }
    if (flags) {
        *flags = m_viewFlags;
    }
    if (sink) {
        *sink = m_viewSink.get();
        if (*sink) {
            (*sink)->AddRef();
        }
    }
    return S_OK;
}

STDMETHODIMP ControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}

// ---- persistence

STDMETHODIMP ControlBase::GetClassID(CLSID* clsid)
{
    if (!clsid) {
        return E_POINTER;
    }
    *clsid = *m_description.clsid;
    return S_OK;
}

STDMETHODIMP ControlBase::IsDirty()
{
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP ControlBase::Load(LPSTREAM stream)
{
    if (!stream) {
        return E_POINTER;
    }
    return FinishLoad(com::CallNoThrow([&] { return LoadState(stream); }));
}

STDMETHODIMP ControlBase::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (!stream) {
        return E_POINTER;
    }
    return FinishSave(com::CallNoThrow([&] { return SaveState(stream); }), clearDirty);
}

STDMETHODIMP ControlBase::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) {
        return E_POINTER;
    }
    // Measure a save into memory.
    ComPtr<IStream> memory;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, memory.put());
    if (SUCCEEDED(hr)) {
        hr = com::CallNoThrow([&] { return SaveState(memory.get()); });
    }
    if (FAILED(hr)) {
        return hr;
    }
    STATSTG stat {};
    hr = memory->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr)) {
        *size = stat.cbSize;
    }
    return hr;
}

STDMETHODIMP ControlBase::InitNew()
{
    const HRESULT hr = ResetState();
    if (FAILED(hr)) {
        return hr;
    }
    m_dirty = false;
    InvalidateControl();
    return S_OK;
}

STDMETHODIMP ControlBase::Load(IPropertyBag* bag, IErrorLog* log)
{
    if (!bag) {
        return E_POINTER;
    }
    return FinishLoad(com::CallNoThrow([&] { return LoadBagState(bag, log); }));
}

STDMETHODIMP ControlBase::Save(IPropertyBag* bag, BOOL clearDirty, BOOL)
{
    if (!bag) {
        return E_POINTER;
    }
    return FinishSave(com::CallNoThrow([&] { return SaveBagState(bag); }), clearDirty);
}

HRESULT ControlBase::ResetState() noexcept
{
    return com::CallNoThrow([&] {
        OnResetState();
        return S_OK;
    });
}

HRESULT ControlBase::FinishLoad(HRESULT hr) noexcept
{
    if (FAILED(hr)) {
        (void)ResetState();
    }
    m_dirty = false;
    InvalidateControl();
    NotifyPropertyChanged(DISPID_UNKNOWN);
    return hr;
}

HRESULT ControlBase::FinishSave(HRESULT hr, BOOL clearDirty) noexcept
{
    if (SUCCEEDED(hr) && clearDirty) {
        m_dirty = false;
    }
    return hr;
}

// ---- connection points, class info, pages

namespace {
// Enumerates a fixed list of connection points; holds the container alive while it exists.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PointEnumerator final : public com::SingleInterfaceObject<PointEnumerator, IEnumConnectionPoints> {
public:
    PointEnumerator(IUnknown* owner, std::vector<IConnectionPoint*> points, ULONG next = 0)
        : m_owner(owner)
        , m_points(std::move(points))
        , m_next(next)
    {
    }
    STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override
    {
        if (!out || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG n = 0;
        while (n < count && m_next < m_points.size()) {
            out[n] = m_points[m_next++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched) {
            *fetched = n;
        }
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        const auto left = static_cast<ULONG>(m_points.size()) - m_next;
        m_next += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** e) override
    {
        if (!e) {
            return E_POINTER;
        }
        *e = nullptr;
        return com::CallNoThrow([&] {
            *e = new PointEnumerator(m_owner.get(), m_points, m_next);
            return S_OK;
        });
    }

private:
    com::ModuleReference m_module;
    ComPtr<IUnknown> m_owner;
    std::vector<IConnectionPoint*> m_points;
    ULONG m_next;
};
#pragma GCC diagnostic pop
} // namespace

STDMETHODIMP ControlBase::EnumConnectionPoints(IEnumConnectionPoints** e)
{
    if (!e) {
        return E_POINTER;
    }
    *e = nullptr;
    return com::CallNoThrow([&] {
        *e = new PointEnumerator(identity(), { &m_eventPoint, &m_propertyPoint });
        return S_OK;
    });
}

STDMETHODIMP ControlBase::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (IsEqualIID(riid, m_eventPoint.iid())) {
        *point = &m_eventPoint;
    } else if (IsEqualIID(riid, m_propertyPoint.iid())) {
        *point = &m_propertyPoint;
    } else {
        return CONNECT_E_NOCONNECTION;
    }
    (*point)->AddRef();
    return S_OK;
}

STDMETHODIMP ControlBase::GetClassInfo(ITypeInfo** info)
{
    if (!info) {
        return E_POINTER;
    }
    *info = nullptr;
    ComPtr<ITypeLib> lib;
    const HRESULT hr = GetModuleTypeLib(lib.put());
    return FAILED(hr) ? hr : lib->GetTypeInfoOfGuid(*m_description.clsid, info);
}

STDMETHODIMP ControlBase::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid) {
        return E_POINTER;
    }
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = *m_description.eventsIid;
    return S_OK;
}

STDMETHODIMP ControlBase::GetPages(CAUUID* pages)
{
    if (!pages) {
        return E_POINTER;
    }
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID) * m_description.pageCount));
    if (!pages->pElems) {
        return E_OUTOFMEMORY;
    }
    for (ULONG i = 0; i < m_description.pageCount; ++i) {
        pages->pElems[i] = m_description.pages[i];
    }
    pages->cElems = m_description.pageCount;
    return S_OK;
}

STDMETHODIMP ControlBase::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (!container || !control) {
        return E_POINTER;
    }
    if (container->cbSize < offsetof(QACONTAINER, pAdviseSink) + sizeof(container->pAdviseSink)
        || control->cbSize < sizeof(QACONTROL)) {
        return E_INVALIDARG;
    }
    if (container->pClientSite) {
        (void)SetClientSite(container->pClientSite);
    }
    if (container->pAdviseSink) {
        (void)SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    }
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    if (container->pUnkEventSink) {
        (void)m_eventPoint.Advise(container->pUnkEventSink, &control->dwEventCookie);
    }
    if (container->pPropertyNotifySink) {
        (void)m_propertyPoint.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
    }
    control->dwMiscStatus = m_description.miscStatus;
    control->dwViewStatus = 0;
    control->dwPointerActivationPolicy = 0;
    return S_OK;
}

STDMETHODIMP ControlBase::SetContentExtent(LPSIZEL size)
{
    return SetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP ControlBase::GetContentExtent(LPSIZEL size)
{
    return GetExtent(DVASPECT_CONTENT, size);
}

// ---- services for the control

void ControlBase::InvalidateControl() noexcept
{
    if (m_window) {
        ::InvalidateRect(m_window.get(), nullptr, TRUE);
    } else if (m_viewSink) {
        m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

void ControlBase::FireEvent(DISPID id, DISPPARAMS* params) noexcept
{
    if (m_freeze > 0) {
        return;
    }
    DISPPARAMS none {};
    ComPtr<IUnknown> keepAlive(identity());
    std::vector<ComPtr<IUnknown>> sinks;
    try {
        sinks = m_eventPoint.Sinks();
    } catch (...) {
        return;
    }
    for (const auto& sink : sinks) {
        auto dispatch = sink.As<IDispatch>();
        if (dispatch) {
            (void)dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                params ? params : &none, nullptr, nullptr, nullptr);
        }
    }
}

void ControlBase::NotifyPropertyChanged(DISPID id) noexcept
{
    if (m_propertyPoint.empty()) {
        return;
    }
    std::vector<ComPtr<IUnknown>> sinks;
    try {
        sinks = m_propertyPoint.Sinks();
    } catch (...) {
        return;
    }
    for (const auto& sink : sinks) {
        auto notify = sink.As<IPropertyNotifySink>();
        if (notify) {
            (void)notify->OnChanged(id);
        }
    }
}

HRESULT ControlBase::ShowProperties(HWND parent) noexcept
{
    ComPtr<IUnknown> keepAlive(identity());
    // A container may show its own frame (with its extended properties).
    if (m_clientSite) {
        auto controlSite = m_clientSite.As<IOleControlSite>();
        if (controlSite && controlSite->ShowPropertyFrame() == S_OK) {
            return S_OK;
        }
    }
    wchar_t caption[128] = L"";
    ::LoadStringW(com::ModuleInstance(), m_description.userTypeNameId, caption, 128);
    IUnknown* objects[] = { identity() };
    HWND owner = parent ? parent : (m_window ? ::GetParent(m_window.get()) : nullptr);
    return ::OleCreatePropertyFrame(owner, 0, 0, caption, 1, objects, m_description.pageCount,
        const_cast<CLSID*>(m_description.pages), ::GetUserDefaultLCID(), 0, nullptr);
}

void ControlBase::ButtonDown(unsigned button) noexcept
{
    if (m_buttons == 0 && m_window) {
        ::SetCapture(m_window.get());
    }
    m_buttons |= button;
}

void ControlBase::ButtonUp(unsigned button, POINT pt) noexcept
{
    if ((m_buttons & button) == 0) {
        return;
    }
    m_buttons &= ~button;
    if (m_buttons == 0 && m_window && ::GetCapture() == m_window.get()) {
        ::ReleaseCapture();
    }
    RECT client {};
    if (m_window && ::GetClientRect(m_window.get(), &client) && ::PtInRect(&client, pt)) {
        FireEvent(DISPID_CLICK);
    }
}

void ControlBase::ButtonDblClk(unsigned button) noexcept
{
    // No double-click event: the press is noted so that its release clicks once more.
    ButtonDown(button);
}

void ControlBase::OnLButtonDown(UINT, POINT)
{
    if (InPlaceActive() && !m_uiActive) {
        (void)UIActivate();
    }
    if (m_window && ::GetFocus() != m_window.get()) {
        ::SetFocus(m_window.get());
    }
    ButtonDown(LeftButton);
}

void ControlBase::OnLButtonUp(UINT, POINT pt)
{
    ButtonUp(LeftButton, pt);
}

// ---- the control window

LRESULT CALLBACK ControlBase::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<ControlBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    // A sink called from a mouse handler may release the last outside reference.
    ComPtr<IUnknown> keepAlive(self->identity());
    try {
        return self->OnMessage(hwnd, msg, wp, lp);
    } catch (...) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT ControlBase::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    const POINT pt { static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)) };
    switch (msg) {
    case WM_PAINT: {
        const PaintScope paint(hwnd);
        if (paint.dc()) {
            RECT client {};
            ::GetClientRect(hwnd, &client);
            OnDraw(paint.dc(), client);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wp), pt);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wp), pt);
        return 0;
    case WM_LBUTTONDBLCLK:
        ButtonDblClk(LeftButton);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        ButtonDown(RightButton);
        return 0;
    case WM_RBUTTONUP:
        ButtonUp(RightButton, pt);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        ButtonDown(MiddleButton);
        return 0;
    case WM_MBUTTONUP:
        ButtonUp(MiddleButton, pt);
        return 0;
    case WM_CANCELMODE:
        if (m_buttons && ::GetCapture() == hwnd) {
            ::ReleaseCapture();
        }
        m_buttons = 0;
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd) {
            m_buttons = 0;
        }
        break;
    case WM_NCDESTROY:
        // The parent went first and took this window with it.
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        (void)m_window.release();
        m_buttons = 0;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace pelo::activex
