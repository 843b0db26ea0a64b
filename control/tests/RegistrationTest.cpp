// The control created the way programs create it: through the registry, by class identifier and
// by ProgID, after the library registered itself; and gone again after it unregistered.
#include "TestSupport.h"

#include "PelokeyIds.h"

#include <gtest/gtest.h>

using pelo::ComPtr;
using namespace pelokey::test;

namespace {
HRESULT CallExport(const char* name)
{
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ControlLibrary(), name)));
    return fn ? fn() : E_NOTIMPL;
}
} // namespace

TEST(PelokeyRegistered, CreatedByClassIdAndProgId_UntilUnregistered)
{
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    ASSERT_NE(ControlLibrary(), nullptr);
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
    {
        CLSID clsid {};
        ASSERT_EQ(::CLSIDFromProgID(pelokey::ProgIdControl, &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, pelokey::CLSID_Pelokey));
        ComPtr<IDispatch> byProgId;
        ASSERT_EQ(
            ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, byProgId.put_void()),
            S_OK);
        ComPtr<IDispatch> byClassId;
        ASSERT_EQ(::CoCreateInstance(pelokey::CLSID_Pelokey, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                      byClassId.put_void()),
            S_OK);
        EXPECT_NE(byProgId.get(), byClassId.get());
        // The registered type library (locale 1033, as the library says) describes the interface.
        ComPtr<ITypeLib> lib;
        ASSERT_EQ(::LoadRegTypeLib(pelokey::LIBID_PELOKEYLib, 1, 0, 0x0409, lib.put()), S_OK);
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(pelokey::DIID__DPelokey, info.put()), S_OK);
        // Both page classes of the property frame can be created.
        ComPtr<IPropertyPage> page;
        EXPECT_EQ(::CoCreateInstance(pelokey::CLSID_PelokeyPropPage, nullptr, CLSCTX_INPROC_SERVER,
                      IID_IPropertyPage, page.put_void()),
            S_OK);
        Variant v;
        ASSERT_EQ(CallMethod(byProgId.get(), pelokey::DISPID_GetTChar1, {}, &v), S_OK);
        EXPECT_EQ(V_I2(&v.v), 0x571C);
    }
    ::CoFreeUnusedLibraries();
    ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
    CLSID clsid {};
    EXPECT_NE(::CLSIDFromProgID(pelokey::ProgIdControl, &clsid), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(::CoCreateInstance(
                  pelokey::CLSID_Pelokey, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, none.put_void()),
        REGDB_E_CLASSNOTREG);
    ::OleUninitialize();
}
