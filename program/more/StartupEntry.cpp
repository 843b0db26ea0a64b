#include "more/StartupEntry.h"

#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <memory>

#include "framework/ComPtr.h"
#include "framework/Module.h"

namespace pelo::program {

namespace {

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(
               a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE)
        == CSTR_EQUAL;
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH] = L"";
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(full, n) : path;
}

ComPtr<IShellLinkW> NewShellLink()
{
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(
            CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))) {
        link.reset();
    }
    return link;
}

} // namespace

std::wstring ShortcutTarget(IShellLinkW* link)
{
    // The item list first: Wine's GetPath gives the path through the ANSI code page, which loses
    // the characters of a folder name outside it.
    PIDLIST_ABSOLUTE items = nullptr;
    if (SUCCEEDED(link->GetIDList(&items)) && items) {
        const std::unique_ptr<ITEMIDLIST, decltype(&::CoTaskMemFree)> owned(items, &::CoTaskMemFree);
        wchar_t path[MAX_PATH] = L"";
        if (::SHGetPathFromIDListW(items, path)) {
            return path;
        }
    }
    wchar_t path[MAX_PATH] = L"";
    return link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK ? std::wstring(path) : std::wstring();
}

std::wstring StartupShortcutPath()
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(
            nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return L"";
    }
    return std::wstring(folder) + L"\\Pelo.lnk";
}

std::wstring ProgramPath()
{
    return ModulePath(nullptr);
}

std::wstring ProgramFolderPath()
{
    const std::wstring path = ProgramPath();
    return path.substr(0, path.find_last_of(L"\\/"));
}

bool StartupEntryIsOurs()
{
    const std::wstring shortcut = StartupShortcutPath();
    if (shortcut.empty() || ::GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const ComPtr<IShellLinkW> link = NewShellLink();
    const ComPtr<IPersistFile> file = link.As<IPersistFile>();
    if (!file || FAILED(file->Load(shortcut.c_str(), STGM_READ))) {
        return false;
    }
    const std::wstring target = ShortcutTarget(link.get());
    return !target.empty() && SamePath(FullPath(target), FullPath(ProgramPath()));
}

bool CreateStartupEntry()
{
    const std::wstring shortcut = StartupShortcutPath();
    const ComPtr<IShellLinkW> link = NewShellLink();
    if (shortcut.empty() || !link) {
        return false;
    }
    const std::wstring program = ProgramPath();
    if (FAILED(link->SetPath(program.c_str()))
        || FAILED(link->SetWorkingDirectory(ProgramFolderPath().c_str()))
        || FAILED(link->SetIconLocation(program.c_str(), 0))) {
        return false;
    }
    link->SetDescription(L"Pelo");
    const ComPtr<IPersistFile> file = link.As<IPersistFile>();
    return file && SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
}

bool RemoveStartupEntry()
{
    const std::wstring shortcut = StartupShortcutPath();
    return !shortcut.empty()
        && (::DeleteFileW(shortcut.c_str())
            || ::GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES);
}

} // namespace pelo::program
