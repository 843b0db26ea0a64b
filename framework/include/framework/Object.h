// Root of the framework's object classes: a virtual destructor and nothing else. Header only,
// so that the hook library, which has no C++ runtime, can derive from it as well.
#pragma once

#include <windows.h>

#include <cstddef>

class CObject {
public:
    virtual ~CObject() { }

    // Objects live on the process heap whichever module creates or deletes them: a library
    // without a C++ runtime of its own can then hold deleting destructors, and an object made
    // in one module may be deleted in another.
    static void* operator new(std::size_t size) noexcept { return ::HeapAlloc(::GetProcessHeap(), 0, size); }
    static void operator delete(void* p) noexcept
    {
        if (p != nullptr) {
            ::HeapFree(::GetProcessHeap(), 0, p);
        }
    }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
