// Embedding and activation: IOleObject, in-place and UI activation, IOleInPlaceObject and
// IOleInPlaceActiveObject, IOleControl, IQuickActivate, and the property frame of the control's pages.
#include "framework/activex/ControlBase.h"

#include "framework/Module.h"
#include "framework/com/NoThrow.h"

#include <cstddef>

namespace pelo::activex {
namespace {

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

} // namespace

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
        if (ControlWindow()) {
            ::ShowWindow(ControlWindow(), SW_HIDE);
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
    return com::CallNoThrow([&] {
        const std::wstring name = ModuleString(com::ModuleInstance(), m_description.userTypeNameId);
        if (name.empty()) {
            return ::OleRegGetUserType(*m_description.clsid, USERCLASSTYPE_FULL, type);
        }
        const std::size_t bytes = (name.size() + 1) * sizeof(wchar_t);
        auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
        if (!copy) {
            return E_OUTOFMEMORY;
        }
        ::CopyMemory(copy, name.c_str(), bytes);
        *type = copy;
        return S_OK;
    });
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
    if (!ControlWindow()) {
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
        const HRESULT hr = CreateControlWindow(parent, pos);
        if (FAILED(hr)) {
            (void)InPlaceDeactivate();
            return hr;
        }
        if (pos.right > pos.left && pos.bottom > pos.top) {
            m_extent = PixelSizeToHimetric(pos.right - pos.left, pos.bottom - pos.top);
        }
    }
    ::ShowWindow(ControlWindow(), SW_SHOWNA);
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
    if (ControlWindow() && ::GetFocus() != ControlWindow()) {
        ::SetFocus(ControlWindow());
    }
    return S_OK;
}

STDMETHODIMP ControlBase::GetWindow(HWND* hwnd)
{
    if (!hwnd) {
        return E_POINTER;
    }
    *hwnd = ControlWindow();
    return ControlWindow() ? S_OK : E_FAIL;
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
    if (ControlWindow()) {
        RECT before {};
        ::GetClientRect(ControlWindow(), &before);
        ::MoveWindow(
            ControlWindow(), pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
        // The face is drawn to the control's size: a new size repaints all of it.
        if (before.right != pos->right - pos->left || before.bottom != pos->bottom - pos->top) {
            ::InvalidateRect(ControlWindow(), nullptr, TRUE);
        }
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

// ---- pages and quick activation

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
    return com::CallNoThrow([&] {
        const std::wstring caption = ModuleString(com::ModuleInstance(), m_description.userTypeNameId);
        IUnknown* objects[] = { identity() };
        HWND owner = parent ? parent : (ControlWindow() ? ::GetParent(ControlWindow()) : nullptr);
        return ::OleCreatePropertyFrame(owner, 0, 0, caption.c_str(), 1, objects, m_description.pageCount,
            const_cast<CLSID*>(m_description.pages), ::GetUserDefaultLCID(), 0, nullptr);
    });
}

} // namespace pelo::activex
