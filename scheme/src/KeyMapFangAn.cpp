#include "scheme/KeyMapFangAn.h"

#include <windows.h>

#include <algorithm>

#include "KeyMapFileIo.h"
#include "scheme/KeyMapCodec.h"

using namespace pelo::scheme;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "paths and names are UTF-16 on Windows");
static_assert(sizeof(KeyTCharPair) == 4, "the hook library copies the table entry by entry");

namespace {
FangAnTableSink g_tableSink = nullptr;

void HandOver(CKeyMapFangAn* record)
{
    if (g_tableSink != nullptr) {
        g_tableSink(record);
    }
}
} // namespace

void SetFangAnTableSink(FangAnTableSink sink)
{
    g_tableSink = sink;
}

void CKeyMapFangAn::GetFangAnName(char16_t* dest) const
{
    CopyNameOut(m_szName, dest);
}

void CKeyMapFangAn::SetFangAnName(const char16_t* src)
{
    CopyNameIn(m_szName, src);
}

void CKeyMapFangAn::SetKeyTable(const KeyTCharPair* src)
{
    std::copy_n(src, KEY_COUNT, m_KeyTable);
    HandOver(this);
}

void CKeyMapFangAn::SetDefaultFangAn(const char16_t* name)
{
    SetFangAnName(name);
    SetKeyTable(kDefaultKeyTable);
}

int CKeyMapFangAn::SaveFangAnFile(const wchar_t* path)
{
    uint8_t bytes[kMaxFileBytes];
    const size_t size = EncodeKeyMapFile(m_szName, m_KeyTable, bytes);
    return WriteKeyMapFile(path, bytes, size) ? 1 : 0;
}

int CKeyMapFangAn::LoadFangAnFile(const wchar_t* path)
{
    if (::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        // Only a file that is certainly not there is replaced by the default scheme.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            NameBuffer name = {};
            DefaultSchemeName(reinterpret_cast<const char16_t*>(path), name);
            SetDefaultFangAn(name);
            return SaveFangAnFile(path);
        }
    }
    KeyMapFileDecoder decoder(KeyMapFileDecoder::Mode::Whole, m_KeyTable);
    if (ReadKeyMapFile(path, decoder) != ReadResult::Read) {
        return 0;
    }
    std::copy_n(decoder.Name(), FANGAN_NAME_UNITS, m_szName);
    std::copy_n(decoder.Table(), KEY_COUNT, m_KeyTable);
    HandOver(this);
    return 1;
}

int CKeyMapFangAn::ReadFangAnName(const wchar_t* path)
{
    KeyMapFileDecoder decoder(KeyMapFileDecoder::Mode::NameOnly, nullptr);
    if (ReadKeyMapFile(path, decoder) != ReadResult::Read) {
        return 0;
    }
    std::copy_n(decoder.Name(), FANGAN_NAME_UNITS, m_szName);
    return decoder.Succeeded() ? 1 : 0;
}
