// Persistence: the control's state through IPersistStreamInit (also IPersistStream) and
// IPersistPropertyBag; a failed load resets the control.
#include "framework/activex/ControlBase.h"

#include "framework/com/NoThrow.h"

namespace pelo::activex {

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

} // namespace pelo::activex
