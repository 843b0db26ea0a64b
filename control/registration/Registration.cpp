#include "Registration.h"

#include <ole2.h>
#include <olectl.h>

#include "PelokeyIds.h"
#include "framework/ComPtr.h"
#include "framework/Module.h"
#include "framework/UniqueHandle.h"
#include "framework/com/Module.h"
#include "framework/com/NoThrow.h"

#include <string>

using namespace pelokey;

namespace {

std::wstring GuidText(REFGUID id)
{
    wchar_t text[40] = {};
    ::StringFromGUID2(id, text, 40);
    return text;
}

// Creates HKCR\<key> and sets its default value (when given) and one named value.
bool SetKey(const std::wstring& key, const wchar_t* value, const wchar_t* name = nullptr,
    const wchar_t* named = nullptr)
{
    pelo::UniqueHkey hkey;
    if (::RegCreateKeyExW(
            HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, hkey.put(), nullptr)
        != ERROR_SUCCESS) {
        return false;
    }
    auto set = [&](const wchar_t* valueName, const wchar_t* data) {
        const auto bytes = static_cast<DWORD>((::lstrlenW(data) + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(hkey.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes)
            == ERROR_SUCCESS;
    };
    return (!value || set(nullptr, value)) && (!name || set(name, named));
}

// A key that is already gone counts as removed.
bool DeleteTree(const std::wstring& key)
{
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool UnregisterClasses()
{
    const bool control = DeleteTree(L"CLSID\\" + GuidText(CLSID_Pelokey)) && DeleteTree(ProgIdControl);
    const bool page = DeleteTree(L"CLSID\\" + GuidText(CLSID_PelokeyPropPage));
    return control && page;
}

bool RegisterControlClass(const std::wstring& path)
{
    const std::wstring name = pelo::ModuleString(pelo::com::ModuleInstance(), IDS_PELOKEY);
    if (name.empty()) {
        return false;
    }
    const std::wstring clsid = GuidText(CLSID_Pelokey);
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring toolbox = path + L", 1";
    const std::wstring libid = GuidText(LIBID_PELOKEYLib);
    return SetKey(ProgIdControl, name.c_str())
        && SetKey(std::wstring(ProgIdControl) + L"\\CLSID", clsid.c_str()) && SetKey(key, name.c_str())
        && SetKey(key + L"\\ProgID", ProgIdControl)
        && SetKey(key + L"\\InprocServer32", path.c_str(), L"ThreadingModel", registration::ThreadingModel)
        && SetKey(key + L"\\ToolboxBitmap32", toolbox.c_str()) && SetKey(key + L"\\MiscStatus", L"0")
        && SetKey(key + L"\\MiscStatus\\1", registration::MiscStatusAll)
        && SetKey(key + L"\\Control", nullptr) && SetKey(key + L"\\TypeLib", libid.c_str())
        && SetKey(key + L"\\Version", registration::TypeLibVersion);
}

bool RegisterPageClass(const std::wstring& path)
{
    const std::wstring name = pelo::ModuleString(pelo::com::ModuleInstance(), IDS_PELOKEY_PPG);
    const std::wstring key = L"CLSID\\" + GuidText(CLSID_PelokeyPropPage);
    return !name.empty() && SetKey(key, name.c_str()) && SetKey(key + L"\\InprocServer32", path.c_str());
}

bool TypeLibRegistered()
{
    pelo::UniqueHkey key;
    const std::wstring name
        = L"TypeLib\\" + GuidText(LIBID_PELOKEYLib) + L"\\" + registration::TypeLibVersion;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

HRESULT RegisterTypeLibrary(const std::wstring& path)
{
    pelo::ComPtr<ITypeLib> typeLib;
    if (FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.put()))) {
        return SELFREG_E_TYPELIB;
    }
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    if (!folder.empty()) {
        folder.pop_back();
    }
    std::wstring fullPath = path;
    return SUCCEEDED(
               ::RegisterTypeLib(typeLib.get(), fullPath.data(), folder.empty() ? nullptr : folder.data()))
        ? S_OK
        : SELFREG_E_TYPELIB;
}

HRESULT RegisterServer()
{
    const std::wstring path = pelo::ModulePath(pelo::com::ModuleInstance());
    if (path.empty() || FAILED(RegisterTypeLibrary(path))) {
        return SELFREG_E_TYPELIB;
    }
    if (!RegisterControlClass(path) || !RegisterPageClass(path)) {
        // Leave no half-written class behind.
        UnregisterClasses();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServer()
{
#ifdef _WIN64
    constexpr SYSKIND kind = SYS_WIN64;
#else
    constexpr SYSKIND kind = SYS_WIN32;
#endif
    // A type library that is not registered is already removed; the classes still go.
    if (TypeLibRegistered()) {
        // The registration sits under the library's own locale, which removal must name.
        pelo::ComPtr<ITypeLib> typeLib;
        TLIBATTR* attr = nullptr;
        LCID lcid = 0;
        if (SUCCEEDED(::LoadTypeLibEx(
                pelo::ModulePath(pelo::com::ModuleInstance()).c_str(), REGKIND_NONE, typeLib.put()))
            && SUCCEEDED(typeLib->GetLibAttr(&attr))) {
            lcid = attr->lcid;
            typeLib->ReleaseTLibAttr(attr);
        }
        if (FAILED(::UnRegisterTypeLib(LIBID_PELOKEYLib, TypeLibMajor, TypeLibMinor, lcid, kind))) {
            return SELFREG_E_TYPELIB;
        }
    }
    return UnregisterClasses() ? S_OK : SELFREG_E_CLASS;
}

} // namespace

STDAPI DllRegisterServer()
{
    return pelo::com::CallNoThrow(&RegisterServer);
}

STDAPI DllUnregisterServer()
{
    return pelo::com::CallNoThrow(&UnregisterServer);
}
