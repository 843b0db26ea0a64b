#include "KeyMapFileIo.h"

#include <string>

#include "framework/UniqueHandle.h"

namespace pelo::scheme {

namespace {

constexpr wchar_t kKeyMapFolder[] = L".\\fangan\\";

UniqueFile CreateForWriting(const wchar_t* path)
{
    return UniqueFile(
        ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const uint8_t* bytes, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

// The save's last step: the flushed temporary file is renamed over the key-map file with
// MoveFileExW, which is one step on NTFS and under Wine alike, so a save cut short at any moment
// leaves the old file or the new one, never a short or empty one. MOVEFILE_WRITE_THROUGH returns
// only once the rename itself is on disk. ReplaceFileW is not used because Wine's is not atomic:
// it moves the old file away and deletes it before moving the new one in, so a process that dies
// between the two leaves no key-map file at all.
bool PutInPlace(const wchar_t* temp, const wchar_t* path)
{
    return ::MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

} // namespace

bool WriteKeyMapFile(const wchar_t* path, const uint8_t* bytes, size_t size) noexcept
{
    // A read-only file or a folder in the way cannot be written over. The rename below would
    // replace a read-only file under Wine, so this is checked here for both platforms alike.
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    std::wstring temp;
    try {
        temp = path;
        temp += L".tmp";
    } catch (...) {
        return false;
    }
    {
        UniqueFile file = CreateForWriting(temp.c_str());
        if (!file && ::CreateDirectoryW(kKeyMapFolder, nullptr)) {
            file = CreateForWriting(temp.c_str());
        }
        if (!file) {
            return false;
        }
        if (!WriteAll(file.get(), bytes, size) || !::FlushFileBuffers(file.get())) {
            file.reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!PutInPlace(temp.c_str(), path)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

ReadResult ReadKeyMapFile(const wchar_t* path, KeyMapFileDecoder& decoder) noexcept
{
    UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::NotFound
                                                                              : ReadResult::NotOpened;
    }
    uint8_t buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            return ReadResult::Failed;
        }
        if (read == 0 || decoder.Feed(buffer, read)) {
            return ReadResult::Read;
        }
    }
}

} // namespace pelo::scheme
