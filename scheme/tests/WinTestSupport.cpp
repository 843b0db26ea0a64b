#include "WinTestSupport.h"

#include <algorithm>

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

} // namespace

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
