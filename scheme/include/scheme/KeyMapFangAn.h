// One key-map scheme: two characters for each of the 36 mapped keys, and a name.
// Shared by the program and the hook library; the hook library uses only the inline parts.
#pragma once

constexpr int KEY_COUNT = 36; // 0-9, then A-Z
constexpr int FANGAN_NAME_UNITS = 20; // name text, without the terminating zero

// One table entry: character one (no Shift) and character two (Shift), UTF-16 code units.
struct KeyTCharPair {
    char16_t tchar1;
    char16_t tchar2;
};

// Key index of a key character: '0'-'9' give 0-9, 'A'-'Z' give 10-35. Only the low 8 bits are
// examined; any other character is returned unchanged (and is not a key index).
inline int KeyCharToIndex(unsigned int ch)
{
    const unsigned int c = ch & 0xFFu;
    if (c >= '0' && c <= '9') {
        return static_cast<int>(c - '0');
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<int>(c - 'A' + 10);
    }
    return static_cast<int>(ch);
}

class CKeyMapFangAn;

// Where a record hands itself whenever its whole table is replaced (a load, a table copied in,
// the default scheme): the program points it at the hook library's Dll_SetFangAnInHook before
// it loads any scheme. Until then the tables stay with the records.
using FangAnTableSink = void (*)(CKeyMapFangAn* pFangAn);
void SetFangAnTableSink(FangAnTableSink sink);

class CKeyMapFangAn {
public:
    CKeyMapFangAn() = default;
    CKeyMapFangAn(const CKeyMapFangAn&) = default;
    CKeyMapFangAn& operator=(const CKeyMapFangAn&) = default;
    virtual ~CKeyMapFangAn() { }

    // index 0-35, which 0 (character one) or 1 (character two); not checked.
    char16_t GetKeyTChar(int index, int which) const
    {
        return which == 0 ? m_KeyTable[index].tchar1 : m_KeyTable[index].tchar2;
    }
    void SetKeyTChar(int index, int which, char16_t ch)
    {
        (which == 0 ? m_KeyTable[index].tchar1 : m_KeyTable[index].tchar2) = ch;
    }

    void GetKeyTable(KeyTCharPair* dest) const
    {
        for (int i = 0; i < KEY_COUNT; ++i) {
            dest[i] = m_KeyTable[i];
        }
    }

    // Copies at most 20 units; a shorter name is followed by zeros up to the 20th unit.
    // dest[20] is not written.
    void GetFangAnName(char16_t* dest) const;
    void SetFangAnName(const char16_t* src);

    // Copies the table in and hands this record to the table sink (the hook library).
    void SetKeyTable(const KeyTCharPair* src);
    void SetDefaultFangAn(const char16_t* name);

#ifdef _WIN32
    int SaveFangAnFile(const wchar_t* path);
    int LoadFangAnFile(const wchar_t* path);
    int ReadFangAnName(const wchar_t* path);
#endif

protected:
    KeyTCharPair m_KeyTable[KEY_COUNT] = {};
    char16_t m_szName[FANGAN_NAME_UNITS + 1] = {};
};
