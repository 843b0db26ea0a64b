// The configuration file (".\config.ini" in the working directory): every value is read as an
// integer with its default and written as decimal text. The hotkey section belongs to the hotkey
// record.
#pragma once

#include <vector>

#include "ConfigRules.h"

namespace pelo::program {

inline constexpr wchar_t kConfigFile[] = L".\\config.ini";

// [SN] SN, 1 to 5; anything else reads as 1.
int ReadSlotNumber(const wchar_t* path);
void WriteSlotNumber(const wchar_t* path, int slot);

// [POS] X and Y of the keyboard window's top-left corner. A position from which the window
// could not be reached on any connected monitor reads (and is written) as (500, 400).
WindowPos ReadWindowPos(const wchar_t* path, int width, int height);
// 1 when both values were written; Y is written only when X was.
int WriteWindowPos(WindowPos pos, int width, int height, const wchar_t* path);

// [SHWEL] SHWEL, default 1, taken as it stands.
int ReadShowWelcome(const wchar_t* path);
void WriteShowWelcome(const wchar_t* path, int value);

// The rectangles of the connected monitors, in virtual-screen coordinates.
std::vector<ScreenRect> ConnectedMonitors();

} // namespace pelo::program
