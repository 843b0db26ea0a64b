#include "Config.h"

#include <windows.h>

#include <string>

namespace pelo::program {

namespace {

int ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue, const wchar_t* path)
{
    return static_cast<int>(::GetPrivateProfileIntW(section, key, defaultValue, path));
}

bool WriteInt(const wchar_t* section, const wchar_t* key, int value, const wchar_t* path)
{
    return ::WritePrivateProfileStringW(section, key, std::to_wstring(value).c_str(), path) != FALSE;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) {
        return TRUE;
    }
    const RECT& r = info.rcMonitor;
    try {
        reinterpret_cast<std::vector<ScreenRect>*>(data)->push_back({ r.left, r.top, r.right, r.bottom });
    } catch (...) {
        return FALSE; // nothing leaves the callback
    }
    return TRUE;
}

} // namespace

int ReadSlotNumber(const wchar_t* path)
{
    return ValidSlotNumber(ReadInt(L"SN", L"SN", kDefaultSlot, path));
}

void WriteSlotNumber(const wchar_t* path, int slot)
{
    WriteInt(L"SN", L"SN", slot, path);
}

WindowPos ReadWindowPos(const wchar_t* path, int width, int height)
{
    const WindowPos read { ReadInt(L"POS", L"X", kDefaultPosX, path),
        ReadInt(L"POS", L"Y", kDefaultPosY, path) };
    return ReachablePosition(read, width, height, ConnectedMonitors());
}

int WriteWindowPos(WindowPos pos, int width, int height, const wchar_t* path)
{
    const WindowPos kept = ReachablePosition(pos, width, height, ConnectedMonitors());
    if (!WriteInt(L"POS", L"X", kept.x, path)) {
        return 0;
    }
    return WriteInt(L"POS", L"Y", kept.y, path) ? 1 : 0;
}

int ReadShowWelcome(const wchar_t* path)
{
    return ReadInt(L"SHWEL", L"SHWEL", 1, path);
}

void WriteShowWelcome(const wchar_t* path, int value)
{
    WriteInt(L"SHWEL", L"SHWEL", value, path);
}

std::vector<ScreenRect> ConnectedMonitors()
{
    std::vector<ScreenRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

} // namespace pelo::program
