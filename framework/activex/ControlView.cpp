// The control's view: IViewObject2 for a container's picture of the control, and redrawing.
#include "framework/activex/ControlBase.h"

#include "framework/com/NoThrow.h"

namespace pelo::activex {

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

void ControlBase::InvalidateControl() noexcept
{
    if (ControlWindow()) {
        ::InvalidateRect(ControlWindow(), nullptr, TRUE);
    } else if (m_viewSink) {
        m_viewSink->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

} // namespace pelo::activex
