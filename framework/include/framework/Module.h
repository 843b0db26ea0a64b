// What a loaded module (the program or a library) says about itself: its path, its name and its
// string resources.
#pragma once

#include <windows.h>

#include <string>

namespace pelo {

// The full path of module (nullptr: the program), whatever its length; empty when it cannot be read.
[[nodiscard]] std::wstring ModulePath(HMODULE module);
// The module's file name without folder and extension ("Pelokey" for ...\Pelokey.ocx).
[[nodiscard]] std::wstring ModuleName(HMODULE module);
// String resource id of module; empty when the module has no such string.
[[nodiscard]] std::wstring ModuleString(HMODULE module, UINT id);

} // namespace pelo
