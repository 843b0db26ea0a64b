#include "framework/Module.h"

namespace pelo {

std::wstring ModulePath(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        // A full buffer means the path may have been cut: try again with more room.
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleName(HMODULE module)
{
    std::wstring name = ModulePath(module);
    const auto slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
        name.erase(0, slash + 1);
    }
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) {
        name.erase(dot);
    }
    return name;
}

std::wstring ModuleString(HMODULE module, UINT id)
{
    // With no buffer, LoadStringW hands out the resource's own read-only text and its length.
    const wchar_t* text = nullptr;
    const int n = ::LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

} // namespace pelo
