// The settings of the "更多" page: the scheme hotkey, whether Ctrl, Alt and Win combinations pass
// the hook, and the programs the hook leaves alone. Kept in config.ini [MORE]; a file without
// that section gives what the program did before: no scheme hotkey, nothing passed or left alone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pelo::program {

inline constexpr int kSchemeHotKeyId = 501;
inline constexpr std::size_t kMaxExcludedPrograms = 16;
inline constexpr std::size_t kMaxProgramNameChars = 63;

struct MoreSettings {
    // In the hotkey control's form (1 Shift, 2 Ctrl, 4 Alt); a virtual key of 0 is no hotkey.
    WORD wSchemeModifiers = 0;
    WORD wSchemeVirtualKey = 0;
    bool bPassShortcuts = false;
    std::vector<std::wstring> excludedPrograms;

    [[nodiscard]] bool HasSchemeHotKey() const { return wSchemeVirtualKey != 0; }
};

// The settings in use for this run.
extern MoreSettings g_MoreSettings;

MoreSettings ReadMoreSettings(const wchar_t* path);
// The scheme hotkey is written only with writeHotKey: a hotkey that could not be registered
// stays out of the file, as the on/off hotkey does.
void WriteMoreSettings(const wchar_t* path, const MoreSettings& settings, bool writeHotKey);

// 1 registered, 0 not; no hotkey registers nothing and counts as registered.
int RegisterSchemeHotKey(HWND hWnd, const MoreSettings& settings);

// A program name as the list keeps it (trimmed), or the reason it cannot be added to the list.
struct ProgramNameCheck {
    std::wstring name;
    std::wstring problem; // empty when the name can be added
};
ProgramNameCheck CheckProgramName(const std::wstring& text, const std::vector<std::wstring>& list);

void ApplyToHook(const MoreSettings& settings);

} // namespace pelo::program
