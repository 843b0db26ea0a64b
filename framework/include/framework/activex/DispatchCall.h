// Calls a dispatch object's properties and methods by dispatch identifier: the way a host (a
// wrapper of a hosted control, a property page, a test) talks to a control it knows by number.
#pragma once

#include "framework/com/Variant.h"

#include <oaidl.h>

#include <initializer_list>

namespace pelo::activex {

// Calls method id with args in declaration order (they stay the caller's and are not changed).
// With result, its previous value is cleared and the method's return value lands there.
[[nodiscard]] HRESULT CallMethod(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args = {},
    com::Variant* result = nullptr) noexcept;
// Reads property id into result (its previous value is cleared first).
[[nodiscard]] HRESULT GetProperty(IDispatch* object, DISPID id, com::Variant& result) noexcept;
// Writes value to property id; value stays the caller's.
[[nodiscard]] HRESULT PutProperty(IDispatch* object, DISPID id, const VARIANT& value) noexcept;

} // namespace pelo::activex
