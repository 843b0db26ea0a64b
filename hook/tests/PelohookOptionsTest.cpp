// The hook's options at work in a real process: shortcuts passed on unconverted, and programs left
// alone by their file name, changed while the target runs. The target process is the typing
// target of the other hook tests (PelohookTarget.exe).
#include "hook/Pelohook.h"

#include "ExcludedSlots.h"
#include "HookTyping.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

using namespace pelo::hooktest;
using pelo::hook::ExcludedPrograms;
using pelo::hook::kExcludedMax;
using pelo::hook::kExcludedNameUnits;

namespace {

Rec SysDown(WORD vk)
{
    return Rec { WM_SYSKEYDOWN, vk };
}
Rec SysUp(WORD vk)
{
    return Rec { WM_SYSKEYUP, vk };
}
Rec SysChar(wchar_t c)
{
    return Rec { WM_SYSCHAR, static_cast<UINT>(c) };
}

// The key pressed and released while the modifier is held.
std::vector<INPUT> With(WORD modifier, WORD vk)
{
    return { KeyInput(modifier, false), KeyInput(vk, false), KeyInput(vk, true), KeyInput(modifier, true) };
}

constexpr const wchar_t* kTargetName = L"PelohookTarget.exe";

// Names laid out as the library takes them.
std::vector<wchar_t> Slots(const std::vector<std::wstring>& names)
{
    return ExcludedSlots(names);
}

int Exclude(const std::vector<std::wstring>& names)
{
    const std::vector<wchar_t> slots = Slots(names);
    return Dll_SetExcludedProgramsInHook(slots.data(), static_cast<int>(names.size()));
}

// Sixteen names of programs that are not the target.
std::vector<std::wstring> OtherPrograms()
{
    std::vector<std::wstring> names;
    for (int i = 0; i < kExcludedMax; ++i) {
        names.push_back(L"OtherProgram" + std::to_wstring(i) + L".exe");
    }
    return names;
}

// The list in this process's view of the library's shared section, found by a name written into
// it through the export: what the export refuses to store can then be put there directly, as a
// damaged section would hold it. Null if the library's image or the name cannot be found.
ExcludedPrograms<wchar_t>* SharedListInThisProcess()
{
    const std::wstring marker = L"marker." + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    if (Exclude({ marker }) != 1) {
        return nullptr;
    }
    auto* base = reinterpret_cast<unsigned char*>(::GetModuleHandleW(L"Pelohook.dll"));
    if (base == nullptr) {
        return nullptr;
    }
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::strncmp(reinterpret_cast<const char*>(section->Name), "mydata", 8) != 0) {
            continue;
        }
        unsigned char* const begin = base + section->VirtualAddress;
        unsigned char* const end = begin + section->Misc.VirtualSize;
        const size_t bytes = (marker.size() + 1) * sizeof(wchar_t);
        constexpr size_t namesAt = offsetof(ExcludedPrograms<wchar_t>, names);
        for (unsigned char* at = begin + namesAt; at + sizeof(ExcludedPrograms<wchar_t>) - namesAt <= end;
             at += alignof(ExcludedPrograms<wchar_t>)) {
            if (std::memcmp(at, marker.c_str(), bytes) == 0) {
                auto* list = reinterpret_cast<ExcludedPrograms<wchar_t>*>(at - namesAt);
                return list->count == 1 ? list : nullptr;
            }
        }
    }
    return nullptr;
}

class PelohookOptions : public PelohookTyping {
protected:
    // The target typed 'A' and '1' as keys of its own: no conversion.
    void ExpectLeftAlone()
    {
        EXPECT_EQ(target().Type(Press({ 'A', '1' })),
            (std::vector<Rec> { Down('A'), Char(L'a'), Up('A'), Down('1'), Char(L'1'), Up('1') }));
    }
    void ExpectConverted()
    {
        EXPECT_EQ(target().Type(Press({ 'A', '1' })),
            (std::vector<Rec> { Char(One('A')), Up('A'), Char(One('1')), Up('1') }));
    }
};

} // namespace

using PelohookShortcuts = PelohookOptions;

TEST_F(PelohookShortcuts, PassShortcutsOn_CtrlAltAndWindowsKeyCombinations_ReachTheTargetUnconverted)
{
    Dll_SetbPassShortcutsInHook(1);
    EXPECT_EQ(target().Type(With(VK_CONTROL, 'A')),
        (std::vector<Rec> { Down(VK_CONTROL), Down('A'), Char(L'\x01'), Up('A'), Up(VK_CONTROL) }));
    EXPECT_EQ(target().Type(With(VK_MENU, 'F')),
        (std::vector<Rec> { SysDown(VK_MENU), SysDown('F'), SysChar(L'f'), SysUp('F'), Up(VK_MENU) }));
    EXPECT_EQ(target().Type(With(VK_LWIN, '5')),
        (std::vector<Rec> { Down(VK_LWIN), Down('5'), Char(L'5'), Up('5'), Up(VK_LWIN) }));
    EXPECT_EQ(target().Type(With(VK_RWIN, 'Z')),
        (std::vector<Rec> { Down(VK_RWIN), Down('Z'), Char(L'z'), Up('Z'), Up(VK_RWIN) }));

    // Keys without them are still converted, at once after a shortcut too.
    const std::vector<INPUT> ctrlThenPlain { KeyInput(VK_CONTROL, false), KeyInput('C', false),
        KeyInput('C', true), KeyInput(VK_CONTROL, true), KeyInput('C', false), KeyInput('C', true) };
    EXPECT_EQ(target().Type(ctrlThenPlain),
        (std::vector<Rec> {
            Down(VK_CONTROL), Down('C'), Char(L'\x03'), Up('C'), Up(VK_CONTROL), Char(One('C')), Up('C') }));
}

TEST_F(PelohookShortcuts, PassShortcutsOff_CtrlAltAndWindowsKeyCombinations_AreConverted)
{
    Dll_SetbPassShortcutsInHook(1);
    Dll_SetbPassShortcutsInHook(0);
    EXPECT_EQ(target().Type(With(VK_CONTROL, 'A')),
        (std::vector<Rec> { Down(VK_CONTROL), Char(One('A')), Up('A'), Up(VK_CONTROL) }));
    EXPECT_EQ(target().Type(With(VK_MENU, 'F')),
        (std::vector<Rec> { SysDown(VK_MENU), Char(One('F')), SysUp('F'), Up(VK_MENU) }));
    EXPECT_EQ(target().Type(With(VK_LWIN, '5')),
        (std::vector<Rec> { Down(VK_LWIN), Char(One('5')), Up('5'), Up(VK_LWIN) }));
    EXPECT_EQ(target().Type(With(VK_RWIN, 'Z')),
        (std::vector<Rec> { Down(VK_RWIN), Char(One('Z')), Up('Z'), Up(VK_RWIN) }));
}

TEST_F(PelohookShortcuts, PassShortcutsOn_ShiftPhysicalOrSoft_StillTypesCharacterTwo)
{
    Dll_SetbPassShortcutsInHook(1);
    EXPECT_EQ(target().Type(With(VK_SHIFT, 'B')),
        (std::vector<Rec> { Down(VK_SHIFT), Char(Two('B')), Up('B'), Up(VK_SHIFT) }));
    Dll_Setg_bAxBnShiftDownInHook(1);
    EXPECT_EQ(target().Type(Press({ 'B' })), (std::vector<Rec> { Char(Two('B')), Up('B') }));
    // Ctrl with the soft Shift down is a shortcut all the same.
    EXPECT_EQ(target().Type(With(VK_CONTROL, 'B')),
        (std::vector<Rec> { Down(VK_CONTROL), Down('B'), Char(L'\x02'), Up('B'), Up(VK_CONTROL) }));
}

namespace {

// The clipboard's text, and emptied.
class Clipboard {
public:
    Clipboard() { Empty(); }
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
    ~Clipboard() { Empty(); }

    static std::wstring Text()
    {
        std::wstring text;
        if (::OpenClipboard(nullptr)) {
            if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
                    text = chars;
                    ::GlobalUnlock(data);
                }
            }
            ::CloseClipboard();
        }
        return text;
    }

private:
    static void Empty()
    {
        if (::OpenClipboard(nullptr)) {
            ::EmptyClipboard();
            ::CloseClipboard();
        }
    }
};

} // namespace

TEST_F(PelohookShortcuts, PassShortcutsOn_CtrlC_CopiesTheSelectedText)
{
    const Clipboard clipboard;
    Dll_SetbPassShortcutsInHook(1);
    std::vector<INPUT> inputs = Press({ 'X', 'Y' });
    for (const std::vector<INPUT>& keys : { With(VK_SHIFT, VK_HOME), With(VK_CONTROL, 'C') }) {
        inputs.insert(inputs.end(), keys.begin(), keys.end());
    }
    EXPECT_EQ(target().Type(inputs).back(), Up(VK_CONTROL));
    EXPECT_EQ(target().EditText(), (std::wstring { One('X'), One('Y') }));
    EXPECT_EQ(Clipboard::Text(), (std::wstring { One('X'), One('Y') }));
}

using PelohookExcluded = PelohookOptions;

TEST_F(PelohookExcluded, TargetListed_KeysPassUnconverted_ByFileNameIgnoringCase)
{
    ASSERT_EQ(Exclude({ L"notepad.exe", L"PELOHOOKtarget.EXE" }), 1);
    ExpectLeftAlone();
}

TEST_F(PelohookExcluded, OtherNamesListed_KeysConvert_IncludingNamesTheTargetsOnlyBeginsOrEndsWith)
{
    ASSERT_EQ(Exclude({ L"mstsc.exe", L"PelohookTarget", L"hookTarget.exe", L"PelohookTarget.exe.exe" }), 1);
    ExpectConverted();
    ASSERT_EQ(Exclude(OtherPrograms()), 1);
    ExpectConverted();
}

TEST_F(PelohookExcluded, ListChanged_TakesEffectInTheRunningTarget_AtItsNextKey)
{
    ExpectConverted();
    ASSERT_EQ(Exclude({ kTargetName }), 1);
    ExpectLeftAlone();
    ASSERT_EQ(Exclude({ L"mstsc.exe" }), 1);
    ExpectConverted();
    std::vector<std::wstring> sixteen = OtherPrograms();
    sixteen.back() = kTargetName;
    ASSERT_EQ(Exclude(sixteen), 1);
    ExpectLeftAlone();
    ASSERT_EQ(Dll_SetExcludedProgramsInHook(nullptr, 0), 1);
    ExpectConverted();
}

TEST_F(PelohookExcluded, ListedAndShortcutsPassed_BothApply)
{
    Dll_SetbPassShortcutsInHook(1);
    ASSERT_EQ(Exclude({ L"mstsc.exe" }), 1);
    EXPECT_EQ(target().Type(With(VK_CONTROL, 'A')),
        (std::vector<Rec> { Down(VK_CONTROL), Down('A'), Char(L'\x01'), Up('A'), Up(VK_CONTROL) }));
    ExpectConverted();
    ASSERT_EQ(Exclude({ kTargetName }), 1);
    ExpectLeftAlone();
}

TEST_F(PelohookExcluded, BadCountOrUnterminatedName_IsRefused_AndTheListInForceStays)
{
    ASSERT_EQ(Exclude({ kTargetName }), 1);
    std::vector<std::wstring> seventeen = OtherPrograms();
    seventeen.push_back(L"mstsc.exe");
    const std::vector<wchar_t> slots = Slots(seventeen);
    EXPECT_EQ(Dll_SetExcludedProgramsInHook(slots.data(), kExcludedMax + 1), 0);
    EXPECT_EQ(Dll_SetExcludedProgramsInHook(slots.data(), -1), 0);
    EXPECT_EQ(Dll_SetExcludedProgramsInHook(nullptr, 1), 0);
    std::vector<wchar_t> unterminated = Slots({ L"mstsc.exe", L"" });
    std::fill(unterminated.begin() + kExcludedNameUnits, unterminated.end(), L'n');
    EXPECT_EQ(Dll_SetExcludedProgramsInHook(unterminated.data(), 2), 0);
    ExpectLeftAlone();
}

TEST_F(PelohookExcluded, GarbageInTheSharedSection_CountOutOfRangeIsZero_UnterminatedNameMatchesNothing)
{
    ExcludedPrograms<wchar_t>* const list = SharedListInThisProcess();
    ASSERT_NE(list, nullptr) << "the list was not found in the shared section";
    ASSERT_EQ(Exclude({ kTargetName }), 1);
    ExpectLeftAlone();

    // The target's name stays in the first slot: only the count makes the difference.
    for (int count : { kExcludedMax + 1, -1, INT_MIN, INT_MAX }) {
        list->count = count;
        list->generation += 2;
        ExpectConverted();
    }

    // A first slot without a terminator is read no further than its end; the second still counts.
    ASSERT_EQ(Exclude({ L"x", kTargetName }), 1);
    std::fill(std::begin(list->names[0]), std::end(list->names[0]), L'P');
    list->generation += 2;
    ExpectLeftAlone();
    list->count = 1;
    list->generation += 2;
    ExpectConverted();
}
