// regsvr32 on the real Pelokey.ocx: every key and value it writes, and that removal leaves none.
#include <ole2.h>

#include "PelokeyIds.h"
#include "framework/ComPtr.h"
#include "framework/UniqueHandle.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <optional>
#include <string>

using namespace pelokey;

namespace {

constexpr wchar_t ControlClsid[] = L"{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}";
constexpr wchar_t PageClsid[] = L"{DEB00CC5-B7FD-4C53-89E5-D779384976DE}";
constexpr wchar_t LibId[] = L"{1C106E3E-E8E3-4E9C-9FFF-9A907043208E}";
constexpr wchar_t DispatchIid[] = L"{4EC94ABD-1736-4447-8AE8-EE98C7F44F9E}";
constexpr wchar_t EventsIid[] = L"{C51CBC72-8B14-4F1E-85BF-794BE13EF3FF}";

#ifdef _WIN64
constexpr REGSAM OtherView = KEY_WOW64_32KEY;
constexpr SYSKIND NativeSysKind = SYS_WIN64;
#else
constexpr REGSAM OtherView = KEY_WOW64_64KEY;
constexpr SYSKIND NativeSysKind = SYS_WIN32;
#endif

std::wstring OcxPath()
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Pelokey.ocx";
}

bool KeyExists(const std::wstring& key, REGSAM view = 0)
{
    pelo::UniqueHkey h;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, h.put()) == ERROR_SUCCESS;
}

// The string value `name` (nullptr: the default value) of HKCR\key, or nothing.
std::optional<std::wstring> Value(const std::wstring& key, const wchar_t* name = nullptr)
{
    pelo::UniqueHkey h;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t data[1024] = {};
    DWORD type = 0, size = sizeof data - sizeof(wchar_t);
    if (::RegQueryValueExW(h.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size)
            != ERROR_SUCCESS
        || type != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(data);
}

DWORD RunRegsvr32(const std::wstring& args)
{
    std::wstring command = L"regsvr32.exe " + args;
    STARTUPINFOW si {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return 0xFFFFFFFF;
    }
    pelo::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), 60000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

std::wstring Quoted(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

bool SamePath(const std::optional<std::wstring>& a, const std::wstring& b)
{
    return a && ::CompareStringOrdinal(a->c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void ExpectNothingRegistered()
{
    const std::wstring keys[] = {
        ProgIdControl,
        ProgIdPropPage,
        std::wstring(L"CLSID\\") + ControlClsid,
        std::wstring(L"CLSID\\") + PageClsid,
        std::wstring(L"TypeLib\\") + LibId,
        std::wstring(L"Interface\\") + DispatchIid,
        std::wstring(L"Interface\\") + EventsIid,
    };
    for (const std::wstring& key : keys) {
        EXPECT_FALSE(KeyExists(key)) << std::string(key.begin(), key.end());
        EXPECT_FALSE(KeyExists(key, OtherView)) << "other view: " << std::string(key.begin(), key.end());
    }
    pelo::ComPtr<ITypeLib> lib;
    EXPECT_HRESULT_FAILED(::LoadRegTypeLib(LIBID_PELOKEYLib, 1, 0, 0x409, lib.put()));
}

class Registration : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_NE(::GetFileAttributesW(OcxPath().c_str()), INVALID_FILE_ATTRIBUTES);
    }
    void TearDown() override { RunRegsvr32(L"/u /s " + Quoted(OcxPath())); }
};

} // namespace

TEST_F(Registration, Regsvr32_Register_WritesEveryKeyAndValue)
{
    const std::wstring path = OcxPath();
    ASSERT_EQ(RunRegsvr32(L"/s " + Quoted(path)), 0u);

    EXPECT_EQ(Value(ProgIdControl), L"Pelokey Control");
    EXPECT_EQ(Value(std::wstring(ProgIdControl) + L"\\CLSID"), ControlClsid);

    const std::wstring control = std::wstring(L"CLSID\\") + ControlClsid;
    EXPECT_EQ(Value(control), L"Pelokey Control");
    EXPECT_EQ(Value(control + L"\\ProgID"), ProgIdControl);
    EXPECT_TRUE(SamePath(Value(control + L"\\InprocServer32"), path));
    EXPECT_EQ(Value(control + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(SamePath(Value(control + L"\\ToolboxBitmap32"), path + L", 1"));
    EXPECT_EQ(Value(control + L"\\MiscStatus"), L"0");
    EXPECT_EQ(Value(control + L"\\MiscStatus\\1"), L"131473");
    EXPECT_TRUE(KeyExists(control + L"\\Control"));
    EXPECT_FALSE(KeyExists(control + L"\\Insertable"));
    EXPECT_EQ(Value(control + L"\\TypeLib"), LibId);
    EXPECT_EQ(Value(control + L"\\Version"), L"1.0");

    const std::wstring page = std::wstring(L"CLSID\\") + PageClsid;
    EXPECT_EQ(Value(page), L"Pelokey Property Page");
    EXPECT_TRUE(SamePath(Value(page + L"\\InprocServer32"), path));
    EXPECT_EQ(Value(page + L"\\InprocServer32", L"ThreadingModel"), std::nullopt);

    // Classes land in this architecture's view only.
    EXPECT_FALSE(KeyExists(control, OtherView));
    EXPECT_FALSE(KeyExists(page, OtherView));

    // The type library is registered from the library's own resources.
    EXPECT_TRUE(KeyExists(std::wstring(L"TypeLib\\") + LibId + L"\\1.0"));
    EXPECT_TRUE(KeyExists(std::wstring(L"Interface\\") + DispatchIid));
    pelo::ComPtr<ITypeLib> lib;
    ASSERT_HRESULT_SUCCEEDED(::LoadRegTypeLib(LIBID_PELOKEYLib, 1, 0, 0x409, lib.put()));
    pelo::ComPtr<ITypeInfo> info;
    EXPECT_HRESULT_SUCCEEDED(lib->GetTypeInfoOfGuid(CLSID_Pelokey, info.put()));
}

TEST_F(Registration, Regsvr32_Unregister_LeavesNoKeys)
{
    const std::wstring path = Quoted(OcxPath());
    ASSERT_EQ(RunRegsvr32(L"/s " + path), 0u);
    ASSERT_TRUE(KeyExists(std::wstring(L"CLSID\\") + ControlClsid));
    ASSERT_EQ(RunRegsvr32(L"/u /s " + path), 0u);
    ExpectNothingRegistered();
}

TEST_F(Registration, Unregister_NothingRegistered_SucceedsAndStillRemovesClasses)
{
    const std::wstring path = Quoted(OcxPath());
    ASSERT_EQ(RunRegsvr32(L"/u /s " + path), 0u) << "removal of what is not there succeeds";

    // Classes left behind without their type library are still removed.
    ASSERT_EQ(RunRegsvr32(L"/s " + path), 0u);
    ASSERT_HRESULT_SUCCEEDED(::UnRegisterTypeLib(LIBID_PELOKEYLib, 1, 0, 0x409, NativeSysKind));
    ASSERT_TRUE(KeyExists(std::wstring(L"CLSID\\") + ControlClsid));
    EXPECT_EQ(RunRegsvr32(L"/u /s " + path), 0u);
    ExpectNothingRegistered();
}

TEST_F(Registration, DirectCalls_RegisterTwice_SecondKeepsOneConsistentSet)
{
    pelo::UniqueHmodule ocx(::LoadLibraryW(OcxPath().c_str()));
    ASSERT_TRUE(ocx);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto reg
        = reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(ocx.get(), "DllRegisterServer")));
    const auto unreg = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(::GetProcAddress(ocx.get(), "DllUnregisterServer")));
    ASSERT_NE(reg, nullptr);
    ASSERT_NE(unreg, nullptr);
    EXPECT_EQ(reg(), S_OK);
    EXPECT_EQ(reg(), S_OK);
    EXPECT_EQ(Value(std::wstring(L"CLSID\\") + ControlClsid + L"\\MiscStatus\\1"), L"131473");
    EXPECT_EQ(unreg(), S_OK);
    EXPECT_EQ(unreg(), S_OK);
    ExpectNothingRegistered();
}
