#include "framework/com/ClassFactory.h"

#include "framework/com/Module.h"

#include <new>

namespace pelo::com {
namespace {

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateInstanceFn create) noexcept
        : m_create(create)
    {
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) {
            delete this;
        }
        return static_cast<ULONG>(refs);
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        return m_create(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock) {
            ModuleAddRef();
        } else {
            ModuleRelease();
        }
        return S_OK;
    }

private:
    ModuleReference m_module;
    LONG m_refs = 1;
    CreateInstanceFn m_create;
};
#pragma GCC diagnostic pop

} // namespace

HRESULT GetClassObject(
    const ClassEntry* table, std::size_t count, REFCLSID clsid, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        if (IsEqualCLSID(*table[i].clsid, clsid)) {
            auto* factory = new (std::nothrow) ClassFactory(table[i].create);
            if (!factory) {
                return E_OUTOFMEMORY;
            }
            const HRESULT hr = factory->QueryInterface(riid, ppv);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() noexcept
{
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

} // namespace pelo::com
