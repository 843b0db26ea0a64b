// Persistence: the control's state through IPersistStreamInit (also IPersistStream), IPersistMemory
// and IPersistPropertyBag; a failed load resets the control.
#include "framework/activex/ControlBase.h"

#include "framework/com/NoThrow.h"

#include <climits>

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

HRESULT ControlBase::SaveToMemory(ComPtr<IStream>& memory, ULARGE_INTEGER& size) noexcept
{
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, memory.put());
    if (SUCCEEDED(hr)) {
        hr = com::CallNoThrow([&] { return SaveState(memory.get()); });
    }
    STATSTG stat {};
    if (SUCCEEDED(hr)) {
        hr = memory->Stat(&stat, STATFLAG_NONAME);
    }
    if (SUCCEEDED(hr)) {
        size = stat.cbSize;
    }
    return hr;
}

STDMETHODIMP ControlBase::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) {
        return E_POINTER;
    }
    ComPtr<IStream> memory;
    return SaveToMemory(memory, *size);
}

// The memory block is read through a stream over a copy of it, so that the font object reads its
// own data exactly as it does from a container's stream.
STDMETHODIMP ControlBase::Load(LPVOID memory, ULONG size)
{
    if (!memory && size > 0) {
        return E_POINTER;
    }
    ComPtr<IStream> stream;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ULONG written = 0;
    if (SUCCEEDED(hr) && size > 0) {
        hr = stream->Write(memory, size, &written);
    }
    if (SUCCEEDED(hr) && written != size) {
        hr = STG_E_MEDIUMFULL;
    }
    const LARGE_INTEGER start {};
    if (SUCCEEDED(hr)) {
        hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    }
    return FAILED(hr) ? hr : Load(stream.get());
}

STDMETHODIMP ControlBase::Save(LPVOID memory, BOOL clearDirty, ULONG size)
{
    if (!memory) {
        return E_POINTER;
    }
    ComPtr<IStream> saved;
    ULARGE_INTEGER length {};
    HRESULT hr = SaveToMemory(saved, length);
    if (FAILED(hr)) {
        return hr;
    }
    // A block too small for the whole state gets nothing.
    if (length.QuadPart > size) {
        return STG_E_MEDIUMFULL;
    }
    const LARGE_INTEGER start {};
    ULONG read = 0;
    hr = saved->Seek(start, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) {
        hr = saved->Read(memory, static_cast<ULONG>(length.QuadPart), &read);
    }
    if (SUCCEEDED(hr) && read != length.QuadPart) {
        hr = STG_E_READFAULT;
    }
    return FinishSave(hr, clearDirty);
}

STDMETHODIMP ControlBase::GetSizeMax(ULONG* size)
{
    if (!size) {
        return E_POINTER;
    }
    ComPtr<IStream> memory;
    ULARGE_INTEGER length {};
    const HRESULT hr = SaveToMemory(memory, length);
    if (SUCCEEDED(hr)) {
        *size = length.QuadPart > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(length.QuadPart);
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
