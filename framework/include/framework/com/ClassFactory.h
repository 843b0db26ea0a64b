// Class objects of an in-process server: one table row per creatable class, and the two
// entry points the system calls (DllGetClassObject, DllCanUnloadNow) served from that table.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <cstddef>

namespace pelo::com {

// Creates a new object and queries it for riid; the object must hold a ModuleReference.
using CreateInstanceFn = HRESULT (*)(REFIID riid, void** ppv);

struct ClassEntry {
    const CLSID* clsid;
    CreateInstanceFn create;
};

// Hands out a class object (IClassFactory) for the row whose identifier matches.
[[nodiscard]] HRESULT GetClassObject(
    const ClassEntry* table, std::size_t count, REFCLSID clsid, REFIID riid, void** ppv) noexcept;
// S_OK when no object and no server lock is alive.
[[nodiscard]] HRESULT CanUnloadNow() noexcept;

} // namespace pelo::com
