// Test helpers for the Windows side: a fresh working directory per test, and whole-file reads
// and writes that do not go through the code under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Utf16Bytes.h"
#include "scheme/KeyMapCodec.h"

namespace schemetest {

// Makes a new empty folder under the temporary folder the current directory, and on
// destruction goes back and removes it with everything in it.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    [[nodiscard]] bool Ok() const { return m_ok; }

private:
    std::wstring m_previous;
    std::wstring m_path;
    bool m_ok = false;
};

bool FileExists(const wchar_t* path);
bool DirectoryExists(const wchar_t* path);
// The file's bytes, or an empty vector if it cannot be read (check FileExists as well).
Bytes ReadAll(const wchar_t* path);
bool WriteRaw(const wchar_t* path, const Bytes& bytes);
// Names of the entries of a folder, without "." and "..", sorted.
std::vector<std::wstring> ListFolder(const wchar_t* folder);

Bytes Encoded(const char16_t* name, const KeyTCharPair* table);

// While it lives, this program's CreateFileW refuses to open the file at exactly this path for
// reading, with ERROR_ACCESS_DENIED, and counts the refusals; every other call goes through.
// Wine, run by the superuser as here, grants every access that Windows may deny a user.
// One at a time.
class DenyReading {
public:
    explicit DenyReading(const wchar_t* path);
    ~DenyReading();
    DenyReading(const DenyReading&) = delete;
    DenyReading& operator=(const DenyReading&) = delete;

    [[nodiscard]] bool Installed() const { return m_installed; }
    [[nodiscard]] int Refusals() const;

private:
    bool m_installed = false;
};

} // namespace schemetest
