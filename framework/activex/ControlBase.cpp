// The control's identity: construction, IUnknown, IDispatch over the module's type library, and
// the class information containers read the default interfaces from.
#include "framework/activex/ControlBase.h"

#include "ControlInternal.h"
#include "framework/Module.h"
#include "framework/com/ComObject.h"
#include "framework/com/NoThrow.h"

namespace pelo::activex {
namespace {
ITypeLib* g_typeLib = nullptr;
} // namespace

HRESULT GetModuleTypeLib(ITypeLib** lib) noexcept
{
    if (!lib) {
        return E_POINTER;
    }
    *lib = nullptr;
    if (!g_typeLib) {
        const HRESULT hr = com::CallNoThrow([] {
            const std::wstring path = ModulePath(com::ModuleInstance());
            return path.empty() ? E_FAIL : ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLib);
        });
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
    UnregisterControlWindowClass();
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
    m_window.CutOff();
    DestroyControlWindow();
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
            { IID_IPersistMemory, static_cast<IPersistMemory*>(this) },
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
        // Nothing the window is sent from here on may reach the object being taken apart.
        m_window.CutOff();
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

// ---- IProvideClassInfo2

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

} // namespace pelo::activex
