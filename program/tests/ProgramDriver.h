// Drives the real program as a user would: a fresh folder holding the three deliverables, the
// program started there, its windows found, and mouse and keyboard input sent to them. The
// typing target is the hook tests' target process, whose edit control logs what it receives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "CrossProcess.h"
#include "TargetLog.h"
#include "framework/UniqueHandle.h"
#include "scheme/KeyMapCodec.h"

namespace pelo::programtest {

// The whole file, empty when it cannot be read.
[[nodiscard]] std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);
// Writes the file anew with these bytes; false when not all of them were written.
bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// The key-map file of a scheme with this name and table.
[[nodiscard]] std::vector<std::uint8_t> SchemeBytes(const char16_t* name, const KeyTCharPair* table);
// The key-map file of the default scheme with other characters for the key A (α and Α unless
// told).
[[nodiscard]] std::vector<std::uint8_t> SchemeBytes(
    const char16_t* name, char16_t a1 = u'\u03B1', char16_t a2 = u'\u0391');

// A new folder whose name holds a blank and Chinese characters, with Pelo.exe, Pelokey.ocx and
// Pelohook.dll copied from beside the test, and the help file 帮助.chm when it is there; removed
// with everything in it at the end.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    [[nodiscard]] bool Ready() const { return m_ready; }

    void WriteIni(const wchar_t* section, const wchar_t* key, int value) const;
    [[nodiscard]] int ReadIni(const wchar_t* section, const wchar_t* key, int missing) const;
    // The whole file, empty when it cannot be read.
    [[nodiscard]] std::vector<std::uint8_t> ReadBytes(const std::wstring& name) const;
    bool WriteBytes(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::wstring m_path;
    bool m_ready = false;
};

// One running copy of the program, started in a folder; ended at the end if still running.
class RunningPelo {
public:
    explicit RunningPelo(const ProgramFolder& folder);
    ~RunningPelo();
    RunningPelo(const RunningPelo&) = delete;
    RunningPelo& operator=(const RunningPelo&) = delete;

    [[nodiscard]] bool Started() const { return m_process.valid(); }
    [[nodiscard]] DWORD ProcessId() const { return m_pid; }
    // The keyboard window once it is visible and the program waits for messages, or nullptr after
    // the timeout.
    HWND WaitForKeyboard(DWORD timeoutMs = 30000);
    // A message box of this process with the given text, or nullptr after the timeout.
    HWND WaitForMessageBox(const std::wstring& text, DWORD timeoutMs = 30000) const;
    // A visible top-level window of this process with this caption (any, for nullptr) and window
    // class (any, for nullptr), or nullptr after the timeout.
    HWND WaitForWindow(
        const wchar_t* caption, const wchar_t* className = nullptr, DWORD timeoutMs = 30000) const;
    // The visible top-level windows of this process.
    [[nodiscard]] std::vector<HWND> VisibleWindows() const;
    // A visible top-level window of this process with this caption, or nullptr after the timeout.
    HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs = 30000) const;
    // Every top-level window of this process with this caption, shown or not.
    [[nodiscard]] std::vector<HWND> Windows(const std::wstring& caption) const;
    // Waits for the process to end; its exit code, or STILL_ACTIVE after the timeout.
    DWORD WaitForExit(DWORD timeoutMs = 30000);
    [[nodiscard]] HWND Keyboard() const { return m_keyboard; }
    // The keyboard window, shown or not yet shown, or nullptr.
    [[nodiscard]] HWND KeyboardShownOrNot() const;
    // The key button with this control id.
    [[nodiscard]] HWND Key(int id) const { return ::GetDlgItem(m_keyboard, id); }

private:
    UniqueKernelHandle m_process;
    DWORD m_pid = 0;
    HWND m_keyboard = nullptr;
};

// The target process with its focused edit control and the log of what it received.
class TypingTarget {
public:
    TypingTarget();
    ~TypingTarget();
    TypingTarget(const TypingTarget&) = delete;
    TypingTarget& operator=(const TypingTarget&) = delete;

    [[nodiscard]] bool Ready() const { return m_log != nullptr; }
    // Brings the target to the foreground with its edit focused and clears the log.
    bool Activate();
    // Presses and releases a key in the target and waits until the target has handled it.
    void TypeKey(WORD vk, bool withShift = false);
    // A key typed while another key (Ctrl, Alt, a Windows key) is held.
    void TypeKeyWith(WORD held, WORD vk);
    // The characters the edit control received since the log was last cleared.
    [[nodiscard]] std::u16string Chars() const;
    // Waits until `count` characters have arrived (clicks deliver them asynchronously).
    bool WaitForChars(std::size_t count, DWORD timeoutMs = 10000) const;
    void Clear();

private:
    void WaitForSentinel();
    crossprocess::SharedObjects m_shared;
    hooktest::TargetLog* m_log = nullptr;
    UniqueKernelHandle m_process;
    HWND m_top = nullptr;
};

// The file the key button's class is registered with, empty when the class is not registered.
std::wstring RegisteredKeyLibrary();
// The key button's class is registered with `library` (compared as Windows compares paths).
bool KeyLibraryRegisteredAs(const std::wstring& library);
// The folder of this program, where the deliverables are built beside it.
std::wstring ExeFolder();
// A visible top-level window of the process that `accept` takes, or nullptr after the timeout.
HWND WaitForWindowOf(DWORD pid, bool (*accept)(HWND), DWORD timeoutMs);

// A left click at the centre of a window, as the mouse would give it.
void ClickCentre(HWND window);
// A key pressed and released, as the keyboard would give it to the focus window.
void PressKey(WORD vk);
// A left click at a point of the screen.
void ClickAt(POINT point);
// Presses the keys in order and releases them in reverse order (a combination such as Ctrl+D).
void PressKeys(std::initializer_list<WORD> keys);
// Types each unit of the text as a Unicode key press, into whatever has the keyboard focus.
void TypeText(const std::u16string& text);
// The text of a window of any process (WM_GETTEXT).
[[nodiscard]] std::wstring TextOf(HWND window);
// The window that has the keyboard focus in the thread of this window.
[[nodiscard]] HWND FocusOf(HWND window);
// A rectangle that a message of another process's window writes to the address in lParam (such
// as TCM_GETITEMRECT), in the window's client coordinates; empty when it cannot be read.
[[nodiscard]] RECT RemoteRect(HWND window, UINT message, WPARAM wParam);
// The screen's pixels in the rectangle, row by row.
[[nodiscard]] std::vector<std::uint32_t> ScreenPixels(const RECT& rect);
// The screen's pixels in the rectangle once a window there has been painted: more than one colour,
// and the same twice.
[[nodiscard]] std::vector<std::uint32_t> PaintedPixels(const RECT& rect);
// Runs until the condition holds or the timeout passes; the result of the last check.
template <class Condition> bool WaitUntil(Condition condition, DWORD timeoutMs = 10000)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (::GetTickCount64() > end) {
            return false;
        }
        ::Sleep(20);
    }
}
[[nodiscard]] RECT WindowRect(HWND window);

// ---- Settings editor helpers

// The page of the settings dialog that holds this control, or nullptr.
[[nodiscard]] HWND PageWith(HWND settings, int id);
// Clicks the tab with this index on the dialog's tab control and waits for the page that holds
// this control to show; the page, or nullptr.
HWND ShowPage(HWND settings, HWND tabs, int index, int id);

// Mouse clicks at the centre of windows, where a click on the same window just before cannot turn
// the next one into a double-click.
class SpacedClicks {
public:
    void Click(HWND window);
    // The next click does not wait, whatever window it is on (the last one went elsewhere).
    void Forget() { m_last = nullptr; }

private:
    HWND m_last = nullptr;
    ULONGLONG m_time = 0;
};

// Every top-level window of the process, shown or not, sorted by handle.
[[nodiscard]] std::vector<HWND> TopLevelWindowsOf(DWORD pid);
// A file made read-only, until Clear or the end of the object.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::wstring path);
    ~ReadOnlyFile() { Clear(); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    [[nodiscard]] bool Set() const { return m_set; }
    void Clear();

private:
    std::wstring m_path;
    bool m_set = false;
};

// ---- Character name helpers

// The tooltip control that this window owns, or nullptr.
[[nodiscard]] HWND TooltipOwnedBy(HWND owner);
// What the tooltip shows for the tool of this window (TTM_GETTEXT, which asks the owner of a tool
// whose text comes by callback), empty when there is no such tool.
[[nodiscard]] std::wstring ToolText(HWND tooltip, HWND tool);
// Moves the mouse to a point of the screen without a click.
void MoveMouseTo(POINT point);

} // namespace pelo::programtest

// Closing the program and the scheme in use: what those tests hold and look for.
namespace pelo::programtest {

// A hotkey combination registered by this test's thread for as long as the object lives, so that
// the program cannot register it.
class HeldHotKey {
public:
    HeldHotKey(UINT modifiers, UINT virtualKey);
    ~HeldHotKey();
    HeldHotKey(const HeldHotKey&) = delete;
    HeldHotKey& operator=(const HeldHotKey&) = delete;

    [[nodiscard]] bool Held() const { return m_held; }

private:
    int m_id;
    bool m_held;
};

// A file held open by this test, so that no process can open it in a way the sharing does not
// allow (none at all by default), until released.
class LockedFile {
public:
    explicit LockedFile(const std::wstring& path, DWORD sharing = 0);

    [[nodiscard]] bool Locked() const { return static_cast<bool>(m_file); }
    void Release() { m_file.reset(); }

private:
    UniqueFile m_file;
};

// Ends a process at once, as the system may do as soon as the session's end has been answered.
bool EndProcessNow(DWORD pid);

// The shown popup menu windows of a process.
[[nodiscard]] std::vector<HWND> MenuWindows(DWORD pid);

// What one press of the key types into the target: the hook's character, or the key's own while
// the hook is off. The target is brought to the front first, once it can be: under Wine a window
// of the program that has just gone may still be handing the activation on.
std::u16string TypedBy(TypingTarget& target, WORD vk);

} // namespace pelo::programtest

// The settings of the "更多" page: the scheme indicator and the log-on shortcut.
namespace pelo::programtest {

// The visible scheme indicator of a process, or nullptr. With visibleOnly false also one that has
// been shown and hidden again: it keeps its text, place and styles.
[[nodiscard]] HWND SchemeIndicatorOf(DWORD pid, bool visibleOnly = true);

// The user's Startup folder's "Pelo.lnk".
[[nodiscard]] std::wstring StartupShortcutFile();

// What a shortcut file starts, read with the shell's own link object; read is false when the file
// cannot be loaded. The thread must have COM.
struct ShortcutInfo {
    bool read = false;
    std::wstring target;
    std::wstring workingFolder;
};
[[nodiscard]] ShortcutInfo ReadShortcut(const std::wstring& file);
bool WriteShortcut(const std::wstring& file, const std::wstring& target, const std::wstring& workingFolder);

// Removes the Startup folder's "Pelo.lnk" at the start and at the end of a test.
class StartupShortcutRemoved {
public:
    StartupShortcutRemoved() { ::DeleteFileW(StartupShortcutFile().c_str()); }
    ~StartupShortcutRemoved() { ::DeleteFileW(StartupShortcutFile().c_str()); }
    StartupShortcutRemoved(const StartupShortcutRemoved&) = delete;
    StartupShortcutRemoved& operator=(const StartupShortcutRemoved&) = delete;
};

} // namespace pelo::programtest

// Registration-free creation of the key buttons: what those tests clear and look at.
namespace pelo::programtest {

// Deletes the key button library's class, ProgIDs and type library from the registry, in both
// registry views; true when the class is then known in neither.
bool RemoveKeyClassRegistration();
// The full path of the loaded module of a process with this file name, empty when not loaded.
[[nodiscard]] std::wstring LoadedModulePath(DWORD pid, const wchar_t* fileName);

} // namespace pelo::programtest
