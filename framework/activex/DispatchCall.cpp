#include "framework/activex/DispatchCall.h"

#include <iterator>
#include <vector>

namespace pelo::activex {
namespace {

// Invoke with an exception record whose strings are freed here; an exception raised by the
// object reports its own code.
HRESULT InvokeChecked(IDispatch* object, DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) noexcept
{
    EXCEPINFO exception {};
    HRESULT hr
        = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) {
            (void)exception.pfnDeferredFillIn(&exception);
        }
        if (exception.scode != S_OK && FAILED(exception.scode)) {
            hr = exception.scode;
        }
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
    }
    return hr;
}

} // namespace

HRESULT CallMethod(
    IDispatch* object, DISPID id, std::initializer_list<VARIANT> args, com::Variant* result) noexcept
{
    if (!object) {
        return E_POINTER;
    }
    // Invoke takes the arguments last to first; these are shallow copies, never cleared.
    std::vector<VARIANT> reversed;
    try {
        reversed.assign(std::rbegin(args), std::rend(args));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    DISPPARAMS params { reversed.empty() ? nullptr : reversed.data(), nullptr,
        static_cast<UINT>(reversed.size()), 0 };
    return InvokeChecked(object, id, DISPATCH_METHOD, params, result ? result->put() : nullptr);
}

HRESULT GetProperty(IDispatch* object, DISPID id, com::Variant& result) noexcept
{
    if (!object) {
        return E_POINTER;
    }
    DISPPARAMS none {};
    return InvokeChecked(object, id, DISPATCH_PROPERTYGET, none, result.put());
}

HRESULT PutProperty(IDispatch* object, DISPID id, const VARIANT& value) noexcept
{
    if (!object) {
        return E_POINTER;
    }
    VARIANT arg = value; // shallow: Invoke does not take ownership of its arguments
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params { &arg, &named, 1, 1 };
    return InvokeChecked(object, id, DISPATCH_PROPERTYPUT, params, nullptr);
}

} // namespace pelo::activex
