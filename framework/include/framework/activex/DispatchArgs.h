// Argument access for a hand-written IDispatch::Invoke.
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace pelo::activex {

// Copies argument `position` (0 = first in declaration order; arguments arrive reversed) converted
// to vt into out (initialised by the caller). Sets *argErr to the raw index on a type mismatch.
HRESULT GetDispArg(const DISPPARAMS* params, UINT position, VARTYPE vt, VARIANT* out, UINT* argErr) noexcept;
// The value of a property put (the argument named DISPID_PROPERTYPUT), converted to vt.
HRESULT GetPutValue(const DISPPARAMS* params, VARTYPE vt, VARIANT* out, UINT* argErr) noexcept;
// A BOOL argument: VARIANT_TRUE gives 1, other types go through a 32-bit integer unchanged.
HRESULT GetDispBool(const DISPPARAMS* params, UINT position, LONG* out, UINT* argErr) noexcept;
// Fails with DISP_E_BADPARAMCOUNT unless exactly `count` positional arguments were passed.
HRESULT ExpectArgCount(const DISPPARAMS* params, UINT count) noexcept;

} // namespace pelo::activex
