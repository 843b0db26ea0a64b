#include "more/MoreSettings.h"

#include <algorithm>
#include <iterator>

#include "hook/ExcludedPrograms.h"
#include "hook/Pelohook.h"

#include "hotkey/HotKeyText.h"

namespace pelo::program {

MoreSettings g_MoreSettings;

namespace {

constexpr wchar_t kSection[] = L"MORE";

std::wstring ExcludeKey(std::size_t index)
{
    return L"EXCLUDE" + std::to_wstring(index + 1);
}

std::wstring Trimmed(const std::wstring& text)
{
    const wchar_t* const blanks = L" \t\r\n\x3000";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) {
        return L"";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

MoreSettings ReadMoreSettings(const wchar_t* path)
{
    MoreSettings settings;
    settings.wSchemeModifiers = static_cast<WORD>(::GetPrivateProfileIntW(kSection, L"SCHEME_FG", 0, path));
    settings.wSchemeVirtualKey = static_cast<WORD>(::GetPrivateProfileIntW(kSection, L"SCHEME_VK", 0, path));
    settings.bPassShortcuts = ::GetPrivateProfileIntW(kSection, L"PASS_SHORTCUTS", 0, path) == 1;
    const UINT count = ::GetPrivateProfileIntW(kSection, L"COUNT", 0, path);
    for (std::size_t i = 0; i < count && i < kMaxExcludedPrograms; ++i) {
        wchar_t value[kMaxProgramNameChars + 2] = L"";
        ::GetPrivateProfileStringW(
            kSection, ExcludeKey(i).c_str(), L"", value, static_cast<DWORD>(std::size(value)), path);
        // A name edited by hand into something the page would refuse is left out.
        const ProgramNameCheck check = CheckProgramName(value, settings.excludedPrograms);
        if (check.problem.empty()) {
            settings.excludedPrograms.push_back(check.name);
        }
    }
    return settings;
}

void WriteMoreSettings(const wchar_t* path, const MoreSettings& settings, bool writeHotKey)
{
    // The whole section in one write: a reader never finds half of it, and names beyond a
    // shorter list go.
    std::wstring section;
    const auto add = [&section](const std::wstring& key, const std::wstring& value) {
        section += key + L"=" + value;
        section.push_back(L'\0');
    };
    if (writeHotKey) {
        add(L"SCHEME_FG", std::to_wstring(settings.wSchemeModifiers));
        add(L"SCHEME_VK", std::to_wstring(settings.wSchemeVirtualKey));
    } else {
        for (const wchar_t* key : { L"SCHEME_FG", L"SCHEME_VK" }) {
            wchar_t value[16] = L"";
            if (::GetPrivateProfileStringW(kSection, key, L"", value, 16, path) > 0) {
                add(key, value); // the file keeps the hotkey it had
            }
        }
    }
    add(L"PASS_SHORTCUTS", settings.bPassShortcuts ? L"1" : L"0");
    add(L"COUNT", std::to_wstring(settings.excludedPrograms.size()));
    for (std::size_t i = 0; i < settings.excludedPrograms.size(); ++i) {
        add(ExcludeKey(i), settings.excludedPrograms[i]);
    }
    section.push_back(L'\0');
    ::WritePrivateProfileSectionW(kSection, section.c_str(), path);
}

int RegisterSchemeHotKey(HWND hWnd, const MoreSettings& settings)
{
    if (!settings.HasSchemeHotKey()) {
        return 1;
    }
    return ::RegisterHotKey(hWnd, kSchemeHotKeyId, HotKeyModifiersToSystem(settings.wSchemeModifiers),
               settings.wSchemeVirtualKey)
        ? 1
        : 0;
}

ProgramNameCheck CheckProgramName(const std::wstring& text, const std::vector<std::wstring>& list)
{
    ProgramNameCheck check { Trimmed(text), L"" };
    const std::wstring& name = check.name;
    if (name.empty()) {
        check.problem = L"请输入程序的文件名，例如 mstsc.exe。";
    } else if (name.size() > kMaxProgramNameChars) {
        check.problem = L"程序的文件名不能超过" + std::to_wstring(kMaxProgramNameChars) + L"个字符。";
    } else if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos
        || name.find_first_not_of(L'.') == std::wstring::npos) {
        check.problem = L"“" + name + L"”不是文件名。请只输入程序的文件名，不要带路径，例如 mstsc.exe。";
    } else if (list.size() >= kMaxExcludedPrograms) {
        check.problem = L"最多只能添加" + std::to_wstring(kMaxExcludedPrograms) + L"个程序。";
    } else {
        for (const std::wstring& listed : list) {
            if (::CompareStringOrdinal(listed.c_str(), static_cast<int>(listed.size()), name.c_str(),
                    static_cast<int>(name.size()), TRUE)
                == CSTR_EQUAL) {
                check.problem = L"“" + listed + L"”已经在列表中了。";
                break;
            }
        }
    }
    return check;
}

void ApplyToHook(const MoreSettings& settings)
{
    Dll_SetbPassShortcutsInHook(settings.bPassShortcuts ? 1 : 0);
    // The library takes the names in slots of a fixed size, each terminated in its slot; the page
    // and the reader keep to its bounds, and a name that would not fit is left out here too.
    std::vector<wchar_t> slots;
    int count = 0;
    for (const std::wstring& name : settings.excludedPrograms) {
        if (count == pelo::hook::kExcludedMax || name.empty()
            || name.size() >= pelo::hook::kExcludedNameUnits) {
            continue;
        }
        slots.resize(slots.size() + pelo::hook::kExcludedNameUnits, L'\0');
        std::copy(name.begin(), name.end(), slots.end() - pelo::hook::kExcludedNameUnits);
        ++count;
    }
    Dll_SetExcludedProgramsInHook(count > 0 ? slots.data() : nullptr, count);
}

} // namespace pelo::program
