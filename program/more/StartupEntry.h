// The entry that starts this Pelo.exe when the user logs on to Windows: a shortcut "Pelo.lnk" in
// the user's Startup folder whose working folder is the program's folder (the program finds its
// files in its working folder). The installer makes the same entry.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <string>

namespace pelo::program {

// The full path of the shortcut, empty when the Startup folder is unknown.
std::wstring StartupShortcutPath();
// This process's Pelo.exe and its folder.
std::wstring ProgramPath();
std::wstring ProgramFolderPath();

// The program a shortcut starts, empty when it cannot be told.
std::wstring ShortcutTarget(IShellLinkW* link);

// The shortcut exists and starts this Pelo.exe.
bool StartupEntryIsOurs();
// Writes (or rewrites) the shortcut; false when it could not be saved.
bool CreateStartupEntry();
// Removes the shortcut; true when none is left.
bool RemoveStartupEntry();

} // namespace pelo::program
