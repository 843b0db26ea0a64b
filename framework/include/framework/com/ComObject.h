// QueryInterface and reference counting for the framework's own COM objects: a table of the
// interfaces an object answers, a thread-safe count, and a base for objects of one interface.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <unknwn.h>

#include <initializer_list>

namespace pelo::com {

// One interface an object answers: its identifier and the pointer handed out for it.
struct InterfaceEntry {
    const IID& iid;
    IUnknown* pointer;
};

// QueryInterface over a table: the first row whose identifier matches is handed out with a new
// reference.
inline HRESULT QueryFromTable(std::initializer_list<InterfaceEntry> table, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    for (const InterfaceEntry& entry : table) {
        if (IsEqualIID(riid, entry.iid)) {
            entry.pointer->AddRef();
            *ppv = entry.pointer;
            return S_OK;
        }
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The reference count of an object that its last Release deletes; it starts at one.
class RefCount {
public:
    ULONG Increment() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    // The references left: at zero the caller deletes the object.
    ULONG Decrement() noexcept { return static_cast<ULONG>(::InterlockedDecrement(&m_refs)); }

private:
    LONG m_refs = 1;
};

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// An object answering IUnknown and Interface, deleted as Derived by its last Release.
template <typename Derived, typename Interface> class SingleInterfaceObject : public Interface {
public:
    SingleInterfaceObject(const SingleInterfaceObject&) = delete;
    SingleInterfaceObject& operator=(const SingleInterfaceObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryFromTable({ { IID_IUnknown, this }, { __uuidof(Interface), this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_refs.Increment(); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = m_refs.Decrement();
        if (refs == 0) {
            delete static_cast<Derived*>(this);
        }
        return refs;
    }

protected:
    SingleInterfaceObject() noexcept = default;
    ~SingleInterfaceObject() = default;

private:
    RefCount m_refs;
};
#pragma GCC diagnostic pop

} // namespace pelo::com
