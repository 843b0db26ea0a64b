// The built library file itself: what it imports, exports and shares, read from its PE headers;
// and the conversion export called in this process.
#include "hook/Pelohook.h"

#include "CrossProcess.h"
#include "framework/UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

std::string LibraryPath()
{
    return pelo::crossprocess::ExeDirectory() + "Pelohook.dll";
}

// The file's bytes, with bounds-checked access by file offset and by relative virtual address.
class PeImage {
public:
    explicit PeImage(const std::string& path)
    {
        const pelo::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size {};
        if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 20)) {
            return;
        }
        m_bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!::ReadFile(file.get(), m_bytes.data(), static_cast<DWORD>(m_bytes.size()), &read, nullptr)
            || read != m_bytes.size()) {
            m_bytes.clear();
        }
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) {
            return;
        }
        m_nt = At<IMAGE_NT_HEADERS>(static_cast<size_t>(dos->e_lfanew));
        if (m_nt == nullptr || m_nt->Signature != IMAGE_NT_SIGNATURE) {
            m_nt = nullptr;
            return;
        }
        const size_t first = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS, OptionalHeader)
            + m_nt->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < m_nt->FileHeader.NumberOfSections; ++i) {
            if (const auto* section = At<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER))) {
                m_sections.push_back(*section);
            }
        }
    }

    bool valid() const { return m_nt != nullptr; }
    size_t size() const { return m_bytes.size(); }
    const std::vector<IMAGE_SECTION_HEADER>& sections() const { return m_sections; }

    const IMAGE_DATA_DIRECTORY& Directory(int index) const
    {
        return m_nt->OptionalHeader.DataDirectory[index];
    }

    template <typename T> const T* AtRva(DWORD rva) const
    {
        for (const IMAGE_SECTION_HEADER& s : m_sections) {
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
                return At<T>(s.PointerToRawData + (rva - s.VirtualAddress));
            }
        }
        return nullptr;
    }

    std::string StringAtRva(DWORD rva) const
    {
        std::string s;
        for (const char* c = AtRva<char>(rva); c != nullptr && *c != 0 && s.size() < 512;
             c = AtRva<char>(++rva)) {
            s += *c;
        }
        return s;
    }

private:
    template <typename T> const T* At(size_t offset) const
    {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T)) {
            return nullptr;
        }
        return reinterpret_cast<const T*>(m_bytes.data() + offset);
    }

    std::vector<char> m_bytes;
    const IMAGE_NT_HEADERS* m_nt = nullptr;
    std::vector<IMAGE_SECTION_HEADER> m_sections;
};

std::string Upper(std::string s)
{
    std::transform(
        s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

class PelohookImage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_image.valid()) << LibraryPath(); }
    PeImage m_image { LibraryPath() };
};

} // namespace

TEST_F(PelohookImage, Imports_OnlyKernel32AndUser32)
{
    std::vector<std::string> dlls;
    const IMAGE_DATA_DIRECTORY& dir = m_image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (DWORD rva = dir.VirtualAddress; dlls.size() < 64; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* desc = m_image.AtRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
        ASSERT_NE(desc, nullptr);
        if (desc->Name == 0) {
            break;
        }
        dlls.push_back(Upper(m_image.StringAtRva(desc->Name)));
    }
    EXPECT_EQ(dlls, (std::vector<std::string> { "KERNEL32.DLL", "USER32.DLL" }));
}

TEST_F(PelohookImage, Exports_TheClassAndTheSevenFunctions_ByName)
{
    const IMAGE_DATA_DIRECTORY& dir = m_image.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    const auto* exports = m_image.AtRva<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
    ASSERT_NE(exports, nullptr);
    EXPECT_EQ(Upper(m_image.StringAtRva(exports->Name)), "PELOHOOK.DLL");
    std::set<std::string> names;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        const auto* nameRva = m_image.AtRva<DWORD>(exports->AddressOfNames + i * sizeof(DWORD));
        ASSERT_NE(nameRva, nullptr);
        names.insert(m_image.StringAtRva(*nameRva));
    }
    const std::set<std::string> expected {
        "_ZN13CKeyboardHookC1Ev",
        "_ZN13CKeyboardHookC2Ev",
        "_ZN13CKeyboardHookD0Ev",
        "_ZN13CKeyboardHookD1Ev",
        "_ZN13CKeyboardHookD2Ev",
        "_ZTV13CKeyboardHook",
        "_ZN13CKeyboardHook9StartHookEv",
        "_ZN13CKeyboardHook8StopHookEv",
        "_Z19Dll_SetFangAnInHookP13CKeyMapFangAn",
        "_Z22Dll_Setg_hWndMainInDllP6HWND__",
        "_Z29Dll_Setg_bAxBnShiftDownInHooki",
        "_Z25Dll_ConvertKeyCharToTCharji",
        "_Z20Dll_SendTCharToFocuswl",
        "_Z27Dll_SetbPassShortcutsInHooki",
        "_Z29Dll_SetExcludedProgramsInHookPKwi",
    };
    EXPECT_EQ(names, expected);
}

TEST_F(PelohookImage, DataSection_mydata_IsSharedWritable_AndTheFileIsSmall)
{
    const IMAGE_SECTION_HEADER* mydata = nullptr;
    for (const IMAGE_SECTION_HEADER& s : m_image.sections()) {
        if (std::string(
                reinterpret_cast<const char*>(s.Name), strnlen(reinterpret_cast<const char*>(s.Name), 8))
            == "mydata") {
            mydata = &s;
        }
        // Nothing else may be written by one process and seen by another.
        if (&s != mydata) {
            EXPECT_EQ(s.Characteristics & IMAGE_SCN_MEM_SHARED, 0u) << s.Name;
        }
    }
    ASSERT_NE(mydata, nullptr);
    const DWORD flags = IMAGE_SCN_MEM_SHARED | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE;
    EXPECT_EQ(mydata->Characteristics & flags, flags);
    // Handle, table of 36 pairs, flag, two window handles, the shortcut flag and the list of
    // excluded programs, all initialised in the file.
    EXPECT_GE(mydata->Misc.VirtualSize,
        sizeof(HHOOK) + KEY_COUNT * sizeof(KeyTCharPair) + sizeof(int) + 2 * sizeof(HWND) + sizeof(int)
            + sizeof(pelo::hook::ExcludedPrograms<wchar_t>));
    EXPECT_GE(mydata->SizeOfRawData, mydata->Misc.VirtualSize);
    EXPECT_LT(m_image.size(), 16u * 1024u);
}

TEST(PelohookConvert, ConvertKeyChar_UsesTheLastTableHandedOver_AndZeroOutsideThe36)
{
    {
        CKeyMapFangAn record;
        for (int i = 0; i < KEY_COUNT; ++i) {
            record.SetKeyTChar(i, 0, static_cast<char16_t>(0x0410 + i));
            record.SetKeyTChar(i, 1, static_cast<char16_t>(0x2460 + i));
        }
        Dll_SetFangAnInHook(&record);
    } // the library keeps its own copy
    for (int i = 0; i < KEY_COUNT; ++i) {
        const unsigned key = i < 10 ? '0' + i : 'A' + i - 10;
        EXPECT_EQ(Dll_ConvertKeyCharToTChar(key, 0), 0x0410 + i) << "key " << key;
        EXPECT_EQ(Dll_ConvertKeyCharToTChar(key, 1), 0x2460 + i) << "key " << key;
        EXPECT_EQ(Dll_ConvertKeyCharToTChar(key, 7), 0x2460 + i) << "any nonzero Shift";
    }
    for (unsigned key : { 0x61u, 0x2Fu, 0x3Au, 0x40u, 0x5Bu, 0x7Au, 0x130u, 0x141u }) {
        EXPECT_EQ(Dll_ConvertKeyCharToTChar(key, 0), 0) << "key " << key;
        EXPECT_EQ(Dll_ConvertKeyCharToTChar(key, 1), 0) << "key " << key;
    }

    Dll_SetFangAnInHook(nullptr); // ignored, the table stays
    EXPECT_EQ(Dll_ConvertKeyCharToTChar('Z', 0), 0x0410 + 35);
}
