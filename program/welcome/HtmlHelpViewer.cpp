#include "welcome/HtmlHelpViewer.h"

#include <htmlhelp.h>

#include <cwchar>
#include <utility>

#include "framework/dialog/Dialog.h"

namespace {
constexpr wchar_t kCaption[] = L"Pelo提醒您";
}

CHtmlHelpViewer::~CHtmlHelpViewer()
{
    if (m_bUsed) {
        m_pfnHtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    }
}

bool CHtmlHelpViewer::DisplayTopic(HWND owner, const wchar_t* file) noexcept
{
    if (!m_pfnHtmlHelp) {
        // The system's copy only, never one planted in the program's or the working folder.
        wchar_t path[MAX_PATH] = L"";
        const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length + sizeof "\\hhctrl.ocx" > MAX_PATH) {
            return false;
        }
        wcscat(path, L"\\hhctrl.ocx");
        pelo::UniqueHmodule library(::LoadLibraryW(path));
        const FARPROC entry = library ? ::GetProcAddress(library.get(), "HtmlHelpW") : nullptr;
        if (!entry) {
            return false;
        }
        m_pfnHtmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void (*)()>(entry));
        m_library = std::move(library);
    }
    m_bUsed = true;
    m_pfnHtmlHelp(owner, file, HH_DISPLAY_TOPIC, 0);
    return true;
}

void ShowHelpFile(HWND owner, CHtmlHelpViewer& viewer)
{
    if (::GetFileAttributesW(kHelpFile) == INVALID_FILE_ATTRIBUTES) {
        pelo::dialog::ShowMessageBox(owner,
            L"找不到帮助文件“帮助.chm”。\n请确认它与Pelo.exe在同一文件夹中，并从这个文件夹启动Pelo。",
            kCaption, MB_ICONEXCLAMATION);
        return;
    }
    if (!viewer.DisplayTopic(owner, kHelpFile)) {
        pelo::dialog::ShowMessageBox(owner,
            L"无法显示帮助：系统中的HTML帮助查看器（hhctrl."
            L"ocx）不能加载。\n可以用其他CHM阅读器打开Pelo文件夹中的"
            L"“帮助.chm”。",
            kCaption, MB_ICONEXCLAMATION);
    }
}
