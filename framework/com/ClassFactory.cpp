#include "framework/com/ClassFactory.h"

#include "framework/com/ComObject.h"
#include "framework/com/Module.h"

#include <new>

namespace pelo::com {
namespace {

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ClassFactory final : public SingleInterfaceObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(CreateInstanceFn create) noexcept
        : m_create(create)
    {
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
