#include "WinTestSupport.h"

#include <algorithm>
#include <cstring>

#include "framework/UniqueHandle.h"

namespace schemetest {

namespace {

struct FindTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { ::FindClose(h); }
};
using UniqueFind = pelo::UniqueHandle<FindTraits>;

void RemoveTree(const std::wstring& folder)
{
    for (const std::wstring& name : ListFolder(folder.c_str())) {
        const std::wstring child = folder + L"\\" + name;
        if (DirectoryExists(child.c_str())) {
            RemoveTree(child);
        } else {
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(child.c_str());
        }
    }
    ::RemoveDirectoryW(folder.c_str());
}

using CreateFileWFunction
    = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// This program's import address table entry of CreateFileW, or null.
CreateFileWFunction* CreateFileWImport()
{
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName
                = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "CreateFileW") == 0) {
                return reinterpret_cast<CreateFileWFunction*>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

bool SetImport(CreateFileWFunction* slot, CreateFileWFunction function)
{
    DWORD protection = 0;
    if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
        return false;
    }
    *slot = function;
    ::VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}

CreateFileWFunction g_realCreateFileW = nullptr;
const wchar_t* g_deniedPath = nullptr;
int g_refusals = 0;

HANDLE WINAPI RefusingCreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
    DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if ((access & (GENERIC_READ | FILE_READ_DATA)) != 0 && path != nullptr && g_deniedPath != nullptr
        && ::lstrcmpiW(path, g_deniedPath) == 0) {
        ++g_refusals;
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return g_realCreateFileW(path, access, share, security, disposition, flags, templateFile);
}

} // namespace

DenyReading::DenyReading(const wchar_t* path)
{
    CreateFileWFunction* slot = CreateFileWImport();
    if (slot == nullptr || g_realCreateFileW != nullptr) {
        return;
    }
    g_realCreateFileW = *slot;
    g_deniedPath = path;
    g_refusals = 0;
    m_installed = SetImport(slot, RefusingCreateFileW);
    if (!m_installed) {
        g_realCreateFileW = nullptr;
    }
}

DenyReading::~DenyReading()
{
    if (m_installed) {
        SetImport(CreateFileWImport(), g_realCreateFileW);
        g_realCreateFileW = nullptr;
        g_deniedPath = nullptr;
    }
}

int DenyReading::Refusals() const
{
    return g_refusals;
}

TempWorkDir::TempWorkDir()
{
    wchar_t buffer[MAX_PATH];
    if (::GetCurrentDirectoryW(MAX_PATH, buffer) == 0) {
        return;
    }
    m_previous = buffer;
    if (::GetTempPathW(MAX_PATH, buffer) == 0) {
        return;
    }
    static unsigned s_counter = 0;
    for (int attempt = 0; attempt < 100 && !m_ok; ++attempt) {
        m_path = std::wstring(buffer) + L"pelo-scheme-" + std::to_wstring(::GetCurrentProcessId()) + L"-"
            + std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(++s_counter);
        m_ok = ::CreateDirectoryW(m_path.c_str(), nullptr) && ::SetCurrentDirectoryW(m_path.c_str());
    }
}

TempWorkDir::~TempWorkDir()
{
    if (!m_previous.empty()) {
        ::SetCurrentDirectoryW(m_previous.c_str());
    }
    if (m_ok) {
        RemoveTree(m_path);
    }
}

bool FileExists(const wchar_t* path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const wchar_t* path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Bytes ReadAll(const wchar_t* path)
{
    pelo::UniqueFile file(
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Bytes bytes;
    if (!file) {
        return bytes;
    }
    uint8_t buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.insert(bytes.end(), buffer, buffer + read);
    }
    return bytes;
}

bool WriteRaw(const wchar_t* path, const Bytes& bytes)
{
    pelo::UniqueFile file(
        ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file
        && (bytes.empty()
            || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
                && written == bytes.size()));
}

std::vector<std::wstring> ListFolder(const wchar_t* folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const UniqueFind find(::FindFirstFileW((std::wstring(folder) + L"\\*").c_str(), &data));
    if (!find) {
        return names;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

Bytes Encoded(const char16_t* name, const KeyTCharPair* table)
{
    Bytes bytes(pelo::scheme::kMaxFileBytes);
    bytes.resize(pelo::scheme::EncodeKeyMapFile(name, table, bytes.data()));
    return bytes;
}

} // namespace schemetest
