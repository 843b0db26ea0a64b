// The in-process server's module state: its instance handle and the count of live objects and
// locks that DllCanUnloadNow consults.
#pragma once

#include <windows.h>

namespace pelo::com {

void SetModuleInstance(HINSTANCE instance) noexcept;
[[nodiscard]] HINSTANCE ModuleInstance() noexcept;

void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
[[nodiscard]] LONG ModuleLockCount() noexcept;

// Holds one module reference for the lifetime of an object (make it a member of every COM object
// the server hands out).
class ModuleReference {
public:
    ModuleReference() noexcept { ModuleAddRef(); }
    ModuleReference(const ModuleReference&) noexcept { ModuleAddRef(); }
    ModuleReference& operator=(const ModuleReference&) noexcept { return *this; }
    ~ModuleReference() { ModuleRelease(); }
};

} // namespace pelo::com
