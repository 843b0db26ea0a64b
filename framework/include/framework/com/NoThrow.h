// Runs code at a boundary that nothing may be thrown across (a COM method, an exported entry
// point, a window procedure) and turns what it throws into an HRESULT.
#pragma once

#include <windows.h>

#include <new>

namespace pelo::com {

template <typename Fn> HRESULT CallNoThrow(Fn&& fn, HRESULT onThrow = E_FAIL) noexcept
{
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return onThrow;
    }
}

} // namespace pelo::com
