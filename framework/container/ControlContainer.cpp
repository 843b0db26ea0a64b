#include "framework/container/ControlContainer.h"

#include "framework/UniqueHandle.h"
#include "framework/com/ComObject.h"
#include "framework/com/NoThrow.h"

#include <olectl.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace pelo::container {
namespace {

// Libraries that serve classes COM does not know.
struct Fallback {
    CLSID clsid;
    std::wstring fileName;
    UniqueHmodule module;
};

// The libraries stay loaded for the rest of the process, so this list is never destroyed: the
// objects, windows and window classes of such a library may outlive any dialog (a window class
// a library registered stays registered after an unload, its procedure pointing into freed
// memory), and COM's own unloading (CoFreeUnusedLibraries) does not know the library.
std::vector<Fallback>& Fallbacks()
{
    static auto* list = new std::vector<Fallback>();
    return *list;
}

// A bare file name is taken from the current directory, never from the search path.
std::wstring LibraryPath(const std::wstring& fileName)
{
    if (fileName.find_first_of(L"\\/:") != std::wstring::npos) {
        return fileName;
    }
    const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    const DWORD got = ::GetCurrentDirectoryW(length, folder.data());
    folder.resize(got < length ? got : 0);
    if (!folder.empty() && folder.back() != L'\\') {
        folder.push_back(L'\\');
    }
    return folder + fileName;
}

HRESULT CreateFromLibrary(Fallback& fallback, const CLSID& clsid, ComPtr<IUnknown>& object)
{
    if (!fallback.module) {
        fallback.module.reset(
            ::LoadLibraryExW(LibraryPath(fallback.fileName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        if (!fallback.module) {
            return HRESULT_FROM_WIN32(::GetLastError());
        }
    }
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(::GetProcAddress(fallback.module.get(), "DllGetClassObject")));
    if (!getClassObject) {
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    ComPtr<IClassFactory> factory;
    const HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    return factory->CreateInstance(nullptr, IID_IUnknown, object.put_void());
}

CLSID ToClsid(const Guid& guid) noexcept
{
    static_assert(sizeof(Guid) == sizeof(CLSID));
    CLSID clsid;
    std::memcpy(&clsid, &guid, sizeof clsid);
    return clsid;
}

// TYPEATTR of a type description, released with the guard.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) noexcept
        : m_info(info)
    {
        if (FAILED(info->GetTypeAttr(&m_attr))) {
            m_attr = nullptr;
        }
    }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    ~TypeAttr()
    {
        if (m_attr) {
            m_info->ReleaseTypeAttr(m_attr);
        }
    }
    [[nodiscard]] const TYPEATTR* get() const noexcept { return m_attr; }

private:
    ITypeInfo* m_info;
    TYPEATTR* m_attr = nullptr;
};

// The control's default source interface, from its class information.
HRESULT DefaultSourceIid(IUnknown* control, IID& iid) noexcept
{
    ComPtr<IProvideClassInfo2> info2;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, info2.put_void()))
        && SUCCEEDED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid))) {
        return S_OK;
    }
    ComPtr<IProvideClassInfo> info;
    HRESULT hr = control->QueryInterface(IID_IProvideClassInfo, info.put_void());
    ComPtr<ITypeInfo> classInfo;
    if (FAILED(hr) || FAILED(hr = info->GetClassInfo(classInfo.put()))) {
        return hr;
    }
    const TypeAttr classAttr(classInfo.get());
    if (!classAttr.get()) {
        return E_FAIL;
    }
    for (UINT i = 0; i < classAttr.get()->cImplTypes; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> source;
        if (FAILED(classInfo->GetImplTypeFlags(i, &flags))
            || (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
                != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)
            || FAILED(classInfo->GetRefTypeOfImplType(i, &ref))
            || FAILED(classInfo->GetRefTypeInfo(ref, source.put()))) {
            continue;
        }
        const TypeAttr sourceAttr(source.get());
        if (sourceAttr.get()) {
            iid = sourceAttr.get()->guid;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

ComPtr<IStream> MemoryStream(const std::vector<std::uint8_t>& bytes) noexcept
{
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) {
        return {};
    }
    ULONG written = 0;
    LARGE_INTEGER zero {};
    if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written))
        || written != bytes.size() || FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
        return {};
    }
    return stream;
}

SIZEL PixelsToHimetric(LONG cx, LONG cy) noexcept
{
    const UniqueHdc dc(::CreateCompatibleDC(nullptr));
    const int dpiX = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSX) : 96;
    const int dpiY = dc ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return { ::MulDiv(cx, 2540, dpiX), ::MulDiv(cy, 2540, dpiY) };
}

} // namespace

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The receiver of one control's events: calls the container's callback with the control's id.
// IDispatch answered by dispatch identifier alone: no type information and no names, as the event
// sink and the ambient properties of a site need.
class DispatchByIdOnly : public IDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }

protected:
    ~DispatchByIdOnly() = default;
};

class EventSink final : public DispatchByIdOnly {
public:
    EventSink(const IID& iid, int id, EventCallback callback)
        : m_iid(iid)
        , m_id(id)
        , m_callback(std::move(callback))
    {
    }
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;
    // No event reaches the callback after this.
    void Disconnect() noexcept { m_callback = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return com::QueryFromTable(
            { { IID_IUnknown, this }, { IID_IDispatch, this }, { m_iid, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_refs.Increment(); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = m_refs.Decrement();
        if (refs == 0) {
            delete this;
        }
        return refs;
    }
    STDMETHODIMP Invoke(
        DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (result) {
            ::VariantInit(result);
        }
        if (!m_callback) {
            return S_OK;
        }
        // The handler may end the dialog and with it this sink's last outside reference.
        ComPtr<IDispatch> keepAlive(this);
        const EventCallback callback = m_callback;
        return com::CallNoThrow([&] {
            callback(m_id, dispid, params);
            return S_OK;
        });
    }

private:
    ~EventSink() = default;
    com::RefCount m_refs;
    IID m_iid;
    int m_id;
    EventCallback m_callback;
};

// The container's side of one control: client site, in-place site and frame, control site and
// ambient properties.
class ControlSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IOleControlSite,
                          public DispatchByIdOnly {
public:
    ControlSite(HWND dialog, int id, RECT rect) noexcept
        : m_dialog(dialog)
        , m_id(id)
        , m_rect(rect)
    {
    }
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    [[nodiscard]] int Id() const noexcept { return m_id; }
    [[nodiscard]] IUnknown* Control() const noexcept { return m_control.get(); }
    [[nodiscard]] IDispatch* Dispatch() const noexcept { return m_dispatch.get(); }
    [[nodiscard]] HWND ControlWindow() const noexcept { return m_window; }

    HRESULT Create(
        const TemplateControl& item, const InitRecord* record, const EventCallback& onEvent) noexcept;
    void Close() noexcept;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return com::QueryFromTable(
            {
                { IID_IUnknown, static_cast<IOleClientSite*>(this) },
                { IID_IOleClientSite, static_cast<IOleClientSite*>(this) },
                { IID_IOleWindow, static_cast<IOleInPlaceSite*>(this) },
                { IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(this) },
                { IID_IOleInPlaceUIWindow, static_cast<IOleInPlaceFrame*>(this) },
                { IID_IOleInPlaceFrame, static_cast<IOleInPlaceFrame*>(this) },
                { IID_IOleControlSite, static_cast<IOleControlSite*>(this) },
                { IID_IDispatch, static_cast<IDispatch*>(this) },
            },
            riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_refs.Increment(); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = m_refs.Decrement();
        if (refs == 0) {
            delete this;
        }
        return refs;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker) {
            *moniker = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        if (container) {
            *container = nullptr;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (the in-place site's and the frame's)
    STDMETHODIMP GetWindow(HWND* hwnd) override
    {
        if (!hwnd) {
            return E_POINTER;
        }
        *hwnd = m_dialog;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
        LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !document || !pos || !clip) {
            return E_POINTER;
        }
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *pos = m_rect;
        *clip = m_rect;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = ::GetAncestor(m_dialog, GA_ROOT);
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override
    {
        if (!rect) {
            return E_POINTER;
        }
        m_rect = *rect;
        if (auto inPlace = m_control.As<IOleInPlaceObject>()) {
            (void)inPlace->SetObjectRects(&m_rect, &m_rect);
        }
        return S_OK;
    }

    // IOleInPlaceUIWindow, IOleInPlaceFrame: no tools, menus or status line to share.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override
    {
        return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
    }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** extended) override
    {
        if (extended) {
            *extended = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    // The control shows its own property frame.
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties
    STDMETHODIMP Invoke(
        DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    ~ControlSite() = default;

    com::RefCount m_refs;
    HWND m_dialog;
    int m_id;
    RECT m_rect;
    HWND m_window = nullptr;
    ComPtr<IUnknown> m_control;
    ComPtr<IOleObject> m_object;
    ComPtr<IDispatch> m_dispatch;
    ComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_eventCookie = 0;
    ComPtr<EventSink> m_sink;
};
#pragma GCC diagnostic pop

STDMETHODIMP ControlSite::Invoke(
    DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (!(flags & DISPATCH_PROPERTYGET)) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (!result) {
        return E_POINTER;
    }
    ::VariantInit(result);
    switch (dispid) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_AUTOCLIP:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_FALSE;
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR: // system colours as OLE_COLOR
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(0x80000000u | COLOR_BTNFACE);
        return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(0x80000000u | COLOR_BTNTEXT);
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(::GetUserDefaultLCID());
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT ControlSite::Create(
    const TemplateControl& item, const InitRecord* record, const EventCallback& onEvent) noexcept
{
    HRESULT hr = CreateControlObject(ToClsid(item.clsid), m_control);
    if (FAILED(hr)) {
        return hr;
    }
    if (FAILED(hr = m_control.As(m_object))) {
        return hr;
    }
    (void)m_control.As(m_dispatch);
    DWORD misc = 0;
    (void)m_object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    auto* clientSite = static_cast<IOleClientSite*>(this);
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst && FAILED(hr = m_object->SetClientSite(clientSite))) {
        return hr;
    }

    // The persisted state, or a new control.
    ComPtr<IPersistStreamInit> streamInit;
    ComPtr<IPersistStream> stream;
    if (SUCCEEDED(m_control.As(streamInit))) {
        if (record) {
            const ComPtr<IStream> memory = MemoryStream(record->stream);
            hr = memory ? streamInit->Load(memory.get()) : E_OUTOFMEMORY;
        } else {
            hr = streamInit->InitNew();
        }
    } else if (record && SUCCEEDED(m_control.As(stream))) {
        const ComPtr<IStream> memory = MemoryStream(record->stream);
        hr = memory ? stream->Load(memory.get()) : E_OUTOFMEMORY;
    } else {
        hr = record ? E_NOINTERFACE : S_OK;
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (!siteFirst && FAILED(hr = m_object->SetClientSite(clientSite))) {
        return hr;
    }
    SIZEL extent = PixelsToHimetric(m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
    (void)m_object->SetExtent(DVASPECT_CONTENT, &extent);

    // Events: the default source interface, when the control has one.
    IID eventIid {};
    ComPtr<IConnectionPointContainer> points;
    if (onEvent && SUCCEEDED(DefaultSourceIid(m_control.get(), eventIid)) && SUCCEEDED(m_control.As(points))
        && SUCCEEDED(points->FindConnectionPoint(eventIid, m_eventPoint.put()))) {
        m_sink = ComPtr<EventSink>::Attach(new (std::nothrow) EventSink(eventIid, m_id, onEvent));
        if (!m_sink) {
            return E_OUTOFMEMORY;
        }
        if (FAILED(m_eventPoint->Advise(static_cast<IDispatch*>(m_sink.get()), &m_eventCookie))) {
            m_eventCookie = 0;
        }
    }

    // In place only: the container never moves the focus to a control.
    if (FAILED(hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, m_dialog, &m_rect))) {
        return hr;
    }
    if (auto window = m_control.As<IOleWindow>()) {
        (void)window->GetWindow(&m_window);
    }
    if (m_window) {
        ::SetWindowLongPtrW(m_window, GWLP_ID, item.id);
        const LONG keep = static_cast<LONG>(item.style & (WS_TABSTOP | WS_GROUP));
        ::SetWindowLongW(m_window, GWL_STYLE, ::GetWindowLongW(m_window, GWL_STYLE) | keep);
        if (item.style & WS_DISABLED) {
            ::EnableWindow(m_window, FALSE);
        }
        if (!(item.style & WS_VISIBLE)) {
            ::ShowWindow(m_window, SW_HIDE);
        }
    }
    return S_OK;
}

void ControlSite::Close() noexcept
{
    if (m_sink) {
        m_sink->Disconnect();
    }
    if (m_eventPoint && m_eventCookie) {
        (void)m_eventPoint->Unadvise(m_eventCookie);
    }
    m_eventCookie = 0;
    m_eventPoint.reset();
    m_sink.reset();
    if (m_object) {
        (void)m_object->Close(OLECLOSE_NOSAVE);
        (void)m_object->SetClientSite(nullptr);
    }
    m_object.reset();
    m_dispatch.reset();
    m_control.reset();
    m_window = nullptr;
}

void SetFallbackLibrary(const CLSID& clsid, const wchar_t* fileName)
{
    std::vector<Fallback>& list = Fallbacks();
    for (Fallback& entry : list) {
        if (IsEqualCLSID(entry.clsid, clsid)) {
            if (!entry.module) {
                entry.fileName = fileName;
            }
            return;
        }
    }
    list.push_back(Fallback { clsid, fileName, UniqueHmodule() });
}

HRESULT CreateControlObject(const CLSID& clsid, ComPtr<IUnknown>& object) noexcept
{
    object.reset();
    const HRESULT hr
        = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
    if (SUCCEEDED(hr)) {
        return hr;
    }
    return com::CallNoThrow([&] {
        for (Fallback& entry : Fallbacks()) {
            if (IsEqualCLSID(entry.clsid, clsid)) {
                return CreateFromLibrary(entry, clsid, object);
            }
        }
        return hr;
    });
}

bool LoadDialogInit(HINSTANCE module, const wchar_t* name, std::vector<InitRecord>& records) noexcept
{
    records.clear();
    const HRSRC resource = ::FindResourceW(module, name, MAKEINTRESOURCEW(240)); // RT_DLGINIT
    if (!resource) {
        return true;
    }
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) {
        return false;
    }
    try {
        return ParseDialogInit(data, ::SizeofResource(module, resource), records);
    } catch (...) {
        records.clear();
        return false;
    }
}

ControlContainer::ControlContainer() noexcept = default;

ControlContainer::~ControlContainer()
{
    Destroy();
}

HRESULT ControlContainer::Create(HWND dialog, const std::vector<TemplateControl>& controls,
    const std::vector<InitRecord>& records, EventCallback onEvent) noexcept
{
    return com::CallNoThrow([&] {
        // The dialog's own children, before any control joins them: the template's ordinary items.
        std::vector<HWND> ordinary;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            ordinary.push_back(child);
        }
        const TemplateControl* previous = nullptr;
        HWND previousWindow = nullptr;
        for (const TemplateControl& item : controls) {
            RECT rect { item.x, item.y, item.x + item.cx, item.y + item.cy };
            ::MapDialogRect(dialog, &rect);
            const InitRecord* record = nullptr;
            for (const InitRecord& r : records) {
                if (r.id == item.id) {
                    record = &r;
                    break;
                }
            }
            auto site = ComPtr<ControlSite>::Attach(new ControlSite(dialog, item.id, rect));
            m_sites.push_back(site);
            const HRESULT hr = site->Create(item, record, onEvent);
            if (FAILED(hr)) {
                return hr;
            }
            // Tab and z order: right after the item before it in the template.
            HWND after = HWND_TOP;
            if (previous && previousWindow && previous->index + 1 == item.index) {
                after = previousWindow;
            } else if (item.ordinaryBefore > 0 && item.ordinaryBefore <= ordinary.size()) {
                after = ordinary[item.ordinaryBefore - 1];
            }
            if (const HWND window = site->ControlWindow()) {
                ::SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
            previous = &item;
            previousWindow = site->ControlWindow();
        }
        return S_OK;
    });
}

void ControlContainer::Destroy() noexcept
{
    std::vector<ComPtr<ControlSite>> sites;
    sites.swap(m_sites);
    for (const ComPtr<ControlSite>& site : sites) {
        site->Close();
    }
}

IDispatch* ControlContainer::Dispatch(int id) const noexcept
{
    for (const ComPtr<ControlSite>& site : m_sites) {
        if (site->Id() == id) {
            return site->Dispatch();
        }
    }
    return nullptr;
}

IUnknown* ControlContainer::Control(int id) const noexcept
{
    for (const ComPtr<ControlSite>& site : m_sites) {
        if (site->Id() == id) {
            return site->Control();
        }
    }
    return nullptr;
}

} // namespace pelo::container
