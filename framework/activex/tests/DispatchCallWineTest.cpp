// The dispatch call helpers against a dispatch object that records how it was invoked.
#include "framework/activex/DispatchCall.h"

#include "framework/com/ComObject.h"

#include <gtest/gtest.h>

#include <vector>

using pelo::com::Variant;

namespace {

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class RecordingDispatch final : public IDispatch {
public:
    static constexpr LONG Unconvertible = 0x7EEEEEEE;
    struct Call {
        DISPID id;
        WORD flags;
        std::vector<VARTYPE> argTypes; // as passed, last argument first
        std::vector<LONG> argValues; // converted to 32 bits
        std::vector<DISPID> named;
    };
    std::vector<Call> calls;
    bool raise = false; // answer with an exception carrying E_ACCESSDENIED and texts

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return pelo::com::QueryFromTable({ { IID_IUnknown, this }, { IID_IDispatch, this } }, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
        EXCEPINFO* excep, UINT*) override
    {
        Call call { id, flags, {}, {}, {} };
        for (UINT i = 0; i < params->cArgs; ++i) {
            call.argTypes.push_back(V_VT(&params->rgvarg[i]));
            VARIANT copy;
            ::VariantInit(&copy);
            call.argValues.push_back(SUCCEEDED(::VariantChangeType(&copy, &params->rgvarg[i], 0, VT_I4))
                    ? V_I4(&copy)
                    : Unconvertible);
        }
        call.named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        calls.push_back(call);
        if (raise && excep) {
            excep->scode = E_ACCESSDENIED;
            excep->bstrDescription = ::SysAllocString(L"refused");
            excep->bstrSource = ::SysAllocString(L"fake");
            return DISP_E_EXCEPTION;
        }
        if (result) {
            // A result slot still holding a value would leak it here.
            EXPECT_EQ(V_VT(result), VT_EMPTY);
            V_VT(result) = VT_I2;
            V_I2(result) = 42;
        }
        return S_OK;
    }
};
#pragma GCC diagnostic pop

} // namespace

TEST(DispatchCall, CallMethod_PassesArgumentsLastFirst_AndClearsTheOldResult)
{
    RecordingDispatch object;
    Variant result = Variant::Bstr(L"old value");
    const Variant text = Variant::Bstr(L"7");
    ASSERT_EQ(
        pelo::activex::CallMethod(&object, 13, { Variant::I2(1), Variant::Bool(true), text }, &result), S_OK);
    ASSERT_EQ(object.calls.size(), 1u);
    const auto& call = object.calls[0];
    EXPECT_EQ(call.id, 13);
    EXPECT_EQ(call.flags, DISPATCH_METHOD);
    EXPECT_EQ(call.argTypes, (std::vector<VARTYPE> { VT_BSTR, VT_BOOL, VT_I2 }));
    EXPECT_EQ(call.argValues, (std::vector<LONG> { 7, -1, 1 }));
    EXPECT_TRUE(call.named.empty());
    EXPECT_EQ(V_VT(&result.v), VT_I2);
    EXPECT_EQ(V_I2(&result.v), 42);
    // The caller's argument is untouched.
    ASSERT_EQ(V_VT(&text.v), VT_BSTR);
    EXPECT_STREQ(V_BSTR(&text.v), L"7");
}

TEST(DispatchCall, Properties_GetWithoutArguments_PutAsTheNamedPutArgument)
{
    RecordingDispatch object;
    Variant value;
    ASSERT_EQ(pelo::activex::GetProperty(&object, 5, value), S_OK);
    EXPECT_EQ(V_I2(&value.v), 42);
    ASSERT_EQ(pelo::activex::PutProperty(&object, 6, Variant::I4(256)), S_OK);
    ASSERT_EQ(object.calls.size(), 2u);
    EXPECT_EQ(object.calls[0].flags, DISPATCH_PROPERTYGET);
    EXPECT_TRUE(object.calls[0].argTypes.empty());
    EXPECT_EQ(object.calls[1].id, 6);
    EXPECT_EQ(object.calls[1].flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(object.calls[1].argValues, std::vector<LONG> { 256 });
    EXPECT_EQ(object.calls[1].named, std::vector<DISPID> { DISPID_PROPERTYPUT });
}

TEST(DispatchCall, RaisedException_ReportsItsOwnCode_NoObjectIsAPointerError)
{
    RecordingDispatch object;
    object.raise = true;
    EXPECT_EQ(pelo::activex::CallMethod(&object, 8), E_ACCESSDENIED);
    EXPECT_EQ(pelo::activex::PutProperty(&object, 1, Variant::Bool(false)), E_ACCESSDENIED);
    Variant value;
    EXPECT_EQ(pelo::activex::GetProperty(nullptr, 1, value), E_POINTER);
    EXPECT_EQ(pelo::activex::CallMethod(nullptr, 8), E_POINTER);
}
