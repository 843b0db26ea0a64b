#include "framework/activex/DispatchArgs.h"

namespace pelo::activex {
namespace {
VARIANT* Deref(VARIANT* arg) noexcept
{
    return V_VT(arg) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(arg) ? V_VARIANTREF(arg) : arg;
}

HRESULT Convert(VARIANT* arg, UINT rawIndex, VARTYPE vt, VARIANT* out, UINT* argErr) noexcept
{
    VARIANT* source = Deref(arg);
    const HRESULT hr = ::VariantChangeType(out, source, 0, vt);
    if (FAILED(hr) && argErr) {
        *argErr = rawIndex;
    }
    return hr == DISP_E_OVERFLOW || hr == DISP_E_TYPEMISMATCH || SUCCEEDED(hr) ? hr : DISP_E_TYPEMISMATCH;
}
} // namespace

HRESULT GetDispArg(const DISPPARAMS* params, UINT position, VARTYPE vt, VARIANT* out, UINT* argErr) noexcept
{
    if (!params || params->cArgs < params->cNamedArgs || position >= params->cArgs - params->cNamedArgs) {
        return DISP_E_PARAMNOTFOUND;
    }
    const UINT raw = params->cArgs - 1 - position;
    return Convert(&params->rgvarg[raw], raw, vt, out, argErr);
}

HRESULT GetPutValue(const DISPPARAMS* params, VARTYPE vt, VARIANT* out, UINT* argErr) noexcept
{
    if (!params || params->cArgs != 1) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs
        || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTOPTIONAL;
    }
    return Convert(&params->rgvarg[0], 0, vt, out, argErr);
}

namespace {
HRESULT ToBool(VARIANT* arg, UINT rawIndex, LONG* out, UINT* argErr) noexcept
{
    VARIANT* source = Deref(arg);
    if (V_VT(source) == VT_BOOL) {
        *out = V_BOOL(source) ? 1 : 0;
        return S_OK;
    }
    if (V_VT(source) == (VT_BOOL | VT_BYREF) && V_BOOLREF(source)) {
        *out = *V_BOOLREF(source) ? 1 : 0;
        return S_OK;
    }
    VARIANT value;
    ::VariantInit(&value);
    const HRESULT hr = Convert(source, rawIndex, VT_I4, &value, argErr);
    if (SUCCEEDED(hr)) {
        *out = V_I4(&value);
    }
    return hr;
}
} // namespace

HRESULT GetDispBool(const DISPPARAMS* params, UINT position, LONG* out, UINT* argErr) noexcept
{
    if (!params || params->cArgs < params->cNamedArgs || position >= params->cArgs - params->cNamedArgs) {
        return DISP_E_PARAMNOTFOUND;
    }
    const UINT raw = params->cArgs - 1 - position;
    return ToBool(&params->rgvarg[raw], raw, out, argErr);
}

HRESULT ExpectArgCount(const DISPPARAMS* params, UINT count) noexcept
{
    const UINT given = params ? params->cArgs : 0;
    if (params && params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    return given == count ? S_OK : DISP_E_BADPARAMCOUNT;
}

} // namespace pelo::activex
