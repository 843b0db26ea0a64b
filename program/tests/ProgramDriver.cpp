#include "ProgramDriver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>

namespace pelo::programtest {

namespace {

void RemoveTree(const std::wstring& path)
{
    // SHFileOperation wants a list ended by two zeros.
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationW(&op);
}

struct FindWindowOf {
    DWORD pid;
    bool (*accept)(HWND);
    HWND found;
};

BOOL CALLBACK FindAcceptedWindow(HWND hwnd, LPARAM data)
{
    auto* find = reinterpret_cast<FindWindowOf*>(data);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == find->pid && ::IsWindowVisible(hwnd) && find->accept(hwnd)) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The keyboard window is the top-level window that holds the Shift key button.
bool IsKeyboardWindow(HWND hwnd)
{
    return ::GetDlgItem(hwnd, 1049) != nullptr;
}

struct FindBox {
    DWORD pid;
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM data)
{
    auto* find = reinterpret_cast<FindBox*>(data);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[16] = L"";
    ::GetClassNameW(hwnd, className, 16);
    if (pid != find->pid || std::wstring(className) != L"#32770" || !::IsWindowVisible(hwnd)) {
        return TRUE;
    }
    wchar_t text[256] = L"";
    ::GetDlgItemTextW(hwnd, 0xFFFF, text, 256); // the message box's text
    if (*find->text == text) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectProcessWindow(HWND hwnd, LPARAM data)
{
    auto* windows = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(data);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == windows->first) {
        windows->second.push_back(hwnd);
    }
    return TRUE;
}

// The top-level windows of a process, shown or not.
std::vector<HWND> ProcessWindows(DWORD pid)
{
    std::pair<DWORD, std::vector<HWND>> windows { pid, {} };
    ::EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&windows));
    return windows.second;
}

void SendKey(WORD vk, bool up)
{
    INPUT input {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}

std::atomic<int> g_folderCount { 0 };

} // namespace

std::wstring RegisteredKeyLibrary()
{
    wchar_t value[MAX_PATH] = L"";
    LONG size = sizeof value;
    const wchar_t* key = L"CLSID\\{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}\\InprocServer32";
    return ::RegQueryValueW(HKEY_CLASSES_ROOT, key, value, &size) == ERROR_SUCCESS ? std::wstring(value)
                                                                                   : std::wstring();
}

bool KeyLibraryRegisteredAs(const std::wstring& library)
{
    return _wcsicmp(RegisteredKeyLibrary().c_str(), library.c_str()) == 0;
}

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/"));
}

HWND WaitForWindowOf(DWORD pid, bool (*accept)(HWND), DWORD timeoutMs)
{
    FindWindowOf find { pid, accept, nullptr };
    WaitUntil(
        [&] {
            ::EnumWindows(&FindAcceptedWindow, reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr;
        },
        timeoutMs);
    return find.found;
}

std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path)
{
    UniqueFile file(::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<std::uint8_t> bytes;
    if (!file) {
        return bytes;
    }
    bytes.resize(::GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty()
        && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        read = 0;
    }
    bytes.resize(read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
        && written == bytes.size();
}

std::vector<std::uint8_t> SchemeBytes(const char16_t* name, const KeyTCharPair* table)
{
    std::vector<std::uint8_t> bytes(pelo::scheme::kMaxFileBytes);
    bytes.resize(pelo::scheme::EncodeKeyMapFile(name, table, bytes.data()));
    return bytes;
}

std::vector<std::uint8_t> SchemeBytes(const char16_t* name, char16_t a1, char16_t a2)
{
    KeyTCharPair table[KEY_COUNT];
    std::copy(pelo::scheme::kDefaultKeyTable, pelo::scheme::kDefaultKeyTable + KEY_COUNT, table);
    table[KeyCharToIndex('A')] = { a1, a2 };
    return SchemeBytes(name, table);
}

ProgramFolder::ProgramFolder()
{
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"Pelo 测试 " + std::to_wstring(::GetCurrentProcessId()) + L"-"
        + std::to_wstring(++g_folderCount);
    RemoveTree(m_path);
    if (!::CreateDirectoryW(m_path.c_str(), nullptr)) {
        return;
    }
    const std::wstring source = ExeFolder();
    m_ready = true;
    for (const wchar_t* name : { L"Pelo.exe", L"Pelokey.ocx", L"Pelohook.dll" }) {
        m_ready = ::CopyFileW((source + L"\\" + name).c_str(), File(name).c_str(), FALSE) && m_ready;
    }
    ::CopyFileW((source + L"\\帮助.chm").c_str(), File(L"帮助.chm").c_str(), FALSE);
}

ProgramFolder::~ProgramFolder()
{
    // A copy of the program removes its registration of the key button library as it ends, from
    // the library in this folder; one still ending must find it there.
    WaitUntil([&] { return RegisteredKeyLibrary().rfind(m_path, 0) != 0; }, 30000);
    // A process that has just ended may still stand in the folder for a moment.
    WaitUntil(
        [&] {
            RemoveTree(m_path);
            return ::GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        10000);
}

void ProgramFolder::WriteIni(const wchar_t* section, const wchar_t* key, int value) const
{
    ::WritePrivateProfileStringW(section, key, std::to_wstring(value).c_str(), File(L"config.ini").c_str());
}

int ProgramFolder::ReadIni(const wchar_t* section, const wchar_t* key, int missing) const
{
    return static_cast<int>(::GetPrivateProfileIntW(section, key, missing, File(L"config.ini").c_str()));
}

std::vector<std::uint8_t> ProgramFolder::ReadBytes(const std::wstring& name) const
{
    return ReadFileBytes(File(name));
}

bool ProgramFolder::WriteBytes(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const
{
    const std::wstring path = File(name);
    ::CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    return WriteFileBytes(path, bytes);
}

RunningPelo::RunningPelo(const ProgramFolder& folder)
{
    std::wstring command = L"\"" + folder.File(L"Pelo.exe") + L"\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
            &startup, &info)) {
        UniqueKernelHandle thread(info.hThread);
        m_process.reset(info.hProcess);
        m_pid = info.dwProcessId;
    }
}

RunningPelo::~RunningPelo()
{
    if (!m_process || ::WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT) {
        return;
    }
    // Closed, not killed, when a test stops early: a killed process's keyboard hook would stay
    // in the desktop and remap the keys of every later test. Its dialogs and message boxes are
    // closed first; the keyboard window may not have been shown yet.
    const HWND keyboard = KeyboardShownOrNot();
    for (HWND window : VisibleWindows()) {
        if (window != keyboard) {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    if (keyboard) {
        ::PostMessageW(keyboard, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(m_process.get(), 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(m_process.get(), 99);
        ::WaitForSingleObject(m_process.get(), 10000);
    }
}

HWND RunningPelo::WaitForKeyboard(DWORD timeoutMs)
{
    m_keyboard = WaitForWindowOf(m_pid, &IsKeyboardWindow, timeoutMs);
    // Shown, then activated by the program: answered once the program has done with the
    // activation and waits for messages, so that a window activated next stays active.
    DWORD_PTR result = 0;
    if (m_keyboard && !::SendMessageTimeoutW(m_keyboard, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result)) {
        m_keyboard = nullptr;
    }
    return m_keyboard;
}

HWND RunningPelo::WaitForMessageBox(const std::wstring& text, DWORD timeoutMs) const
{
    FindBox find { m_pid, &text, nullptr };
    WaitUntil(
        [&] {
            ::EnumWindows(&FindMessageBox, reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr;
        },
        timeoutMs);
    return find.found;
}

HWND RunningPelo::WaitForWindow(const wchar_t* caption, const wchar_t* className, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleWindows()) {
                wchar_t text[256] = L"", windowClass[64] = L"";
                ::GetWindowTextW(window, text, 256);
                ::GetClassNameW(window, windowClass, 64);
                if ((!caption || wcscmp(caption, text) == 0)
                    && (!className || wcscmp(className, windowClass) == 0)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND RunningPelo::KeyboardShownOrNot() const
{
    for (HWND window : ProcessWindows(m_pid)) {
        if (::GetDlgItem(window, 1049) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

std::vector<HWND> RunningPelo::VisibleWindows() const
{
    std::vector<HWND> windows = ProcessWindows(m_pid);
    windows.erase(
        std::remove_if(windows.begin(), windows.end(), [](HWND w) { return !::IsWindowVisible(w); }),
        windows.end());
    return windows;
}

HWND RunningPelo::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const
{
    return WaitForWindow(caption.c_str(), nullptr, timeoutMs);
}

std::vector<HWND> RunningPelo::Windows(const std::wstring& caption) const
{
    std::vector<HWND> found;
    for (HWND window : ProcessWindows(m_pid)) {
        if (TextOf(window) == caption) {
            found.push_back(window);
        }
    }
    return found;
}

DWORD RunningPelo::WaitForExit(DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (m_process && ::WaitForSingleObject(m_process.get(), timeoutMs) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(m_process.get(), &code);
    }
    return code;
}

TypingTarget::TypingTarget()
{
    const std::string base = "PeloProgramTest." + std::to_string(::GetCurrentProcessId());
    if (!crossprocess::CreateSharedObjects(base, sizeof(hooktest::TargetLog), "log", "sentinel", m_shared)) {
        return;
    }
    m_process = crossprocess::LaunchBeside("PelohookTarget.exe", base);
    if (!m_process || ::WaitForSingleObject(m_shared.ready.get(), 30000) != WAIT_OBJECT_0) {
        return;
    }
    m_log = m_shared.As<hooktest::TargetLog>();
    m_top = reinterpret_cast<HWND>(static_cast<UINT_PTR>(m_log->hwndTop));
}

TypingTarget::~TypingTarget()
{
    if (m_top) {
        ::PostMessageW(m_top, hooktest::kMsgQuit, 0, 0);
    }
    if (m_process && ::WaitForSingleObject(m_process.get(), 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(m_process.get(), 1);
    }
}

bool TypingTarget::Activate()
{
    return ::SendMessageW(m_top, hooktest::kMsgActivate, 0, 0) == 1;
}

void TypingTarget::WaitForSentinel()
{
    ::ResetEvent(m_shared.signal.get());
    SendKey(hooktest::kSentinelKey, false);
    SendKey(hooktest::kSentinelKey, true);
    ::WaitForSingleObject(m_shared.signal.get(), 10000);
}

void TypingTarget::TypeKey(WORD vk, bool withShift)
{
    if (withShift) {
        SendKey(VK_SHIFT, false);
    }
    SendKey(vk, false);
    SendKey(vk, true);
    if (withShift) {
        SendKey(VK_SHIFT, true);
    }
    WaitForSentinel();
}

void TypingTarget::TypeKeyWith(WORD held, WORD vk)
{
    SendKey(held, false);
    SendKey(vk, false);
    SendKey(vk, true);
    SendKey(held, true);
    WaitForSentinel();
}

std::u16string TypingTarget::Chars() const
{
    std::u16string chars;
    const LONG count = m_log->count;
    for (LONG i = 0; i < count; ++i) {
        if (m_log->records[i].msg == WM_CHAR) {
            chars.push_back(static_cast<char16_t>(m_log->records[i].wParam));
        }
    }
    return chars;
}

bool TypingTarget::WaitForChars(std::size_t count, DWORD timeoutMs) const
{
    return WaitUntil([&] { return Chars().size() >= count; }, timeoutMs);
}

void TypingTarget::Clear()
{
    ::SendMessageW(m_top, hooktest::kMsgClear, 0, 0);
}

void PressKey(WORD vk)
{
    SendKey(vk, false);
    SendKey(vk, true);
}

RECT WindowRect(HWND window)
{
    RECT rect {};
    ::GetWindowRect(window, &rect);
    return rect;
}

void ClickCentre(HWND window)
{
    const RECT r = WindowRect(window);
    ClickAt({ (r.left + r.right) / 2, (r.top + r.bottom) / 2 });
}

void ClickAt(POINT point)
{
    // Every event carries its own position: queued input would otherwise take the cursor
    // wherever a later click has moved it.
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = ::MulDiv(point.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = ::MulDiv(point.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    ::SendInput(3, inputs, sizeof inputs[0]);
}

void PressKeys(std::initializer_list<WORD> keys)
{
    for (const WORD key : keys) {
        SendKey(key, false);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        SendKey(*--it, true);
    }
}

void TypeText(const std::u16string& text)
{
    for (const char16_t unit : text) {
        INPUT inputs[2] = {};
        for (INPUT& input : inputs) {
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = unit;
            input.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        ::SendInput(2, inputs, sizeof inputs[0]);
    }
}

std::wstring TextOf(HWND window)
{
    const auto length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const auto got = ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

RECT RemoteRect(HWND window, UINT message, WPARAM wParam)
{
    RECT rect {};
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    void* remote = process ? ::VirtualAllocEx(process.get(), nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE)
                           : nullptr;
    if (!remote) {
        return rect;
    }
    if (!::SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(remote))
        || !::ReadProcessMemory(process.get(), remote, &rect, sizeof rect, nullptr)) {
        rect = RECT {};
    }
    ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return rect;
}

std::vector<std::uint32_t> ScreenPixels(const RECT& rect)
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width > 0 && height > 0 ? width * height : 0));
    if (pixels.empty()) {
        return pixels;
    }
    const UniqueHdc screen(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    const UniqueHdc memory(::CreateCompatibleDC(screen.get()));
    const UniqueHbitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    {
        const SelectGuard select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (::GetDIBits(
            memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS)
        != height) {
        pixels.clear();
    }
    return pixels;
}

std::vector<std::uint32_t> PaintedPixels(const RECT& rect)
{
    std::vector<std::uint32_t> pixels = ScreenPixels(rect), again;
    WaitUntil([&] {
        ::Sleep(100);
        again = ScreenPixels(rect);
        std::swap(pixels, again);
        return pixels == again
            && std::adjacent_find(pixels.begin(), pixels.end(), std::not_equal_to<>()) != pixels.end();
    });
    return pixels;
}

// ---- Settings editor helpers

HWND PageWith(HWND settings, int id)
{
    for (HWND child = ::FindWindowExW(settings, nullptr, nullptr, nullptr); child;
         child = ::FindWindowExW(settings, child, nullptr, nullptr)) {
        if (::GetDlgItem(child, id)) {
            return child;
        }
    }
    return nullptr;
}

HWND ShowPage(HWND settings, HWND tabs, int index, int id)
{
    const RECT tab = RemoteRect(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index));
    POINT centre { (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2 };
    ::ClientToScreen(tabs, &centre);
    ClickAt(centre);
    const HWND page = PageWith(settings, id);
    return WaitUntil([&] { return page && ::IsWindowVisible(page); }) ? page : nullptr;
}

void SpacedClicks::Click(HWND window)
{
    if (window == m_last && ::GetTickCount64() - m_time < ::GetDoubleClickTime() + 50) {
        ::Sleep(::GetDoubleClickTime() + 50);
    }
    ClickCentre(window);
    m_last = window;
    m_time = ::GetTickCount64();
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid)
{
    std::vector<HWND> windows = ProcessWindows(pid);
    std::sort(windows.begin(), windows.end());
    return windows;
}

ReadOnlyFile::ReadOnlyFile(std::wstring path)
    : m_path(std::move(path))
{
    const DWORD attributes = ::GetFileAttributesW(m_path.c_str());
    m_set = attributes != INVALID_FILE_ATTRIBUTES
        && ::SetFileAttributesW(m_path.c_str(), attributes | FILE_ATTRIBUTE_READONLY)
        && (::GetFileAttributesW(m_path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
}

void ReadOnlyFile::Clear()
{
    if (!m_set) {
        return;
    }
    m_set = false;
    const DWORD attributes = ::GetFileAttributesW(m_path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(m_path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
}

// ---- Character name helpers

namespace {

struct FindTooltip {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedTooltip(HWND hwnd, LPARAM data)
{
    auto* find = reinterpret_cast<FindTooltip*>(data);
    wchar_t className[32] = L"";
    ::GetClassNameW(hwnd, className, 32);
    if (::GetWindow(hwnd, GW_OWNER) == find->owner && std::wstring(className) == TOOLTIPS_CLASSW) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Memory in another process, freed at the end.
class RemoteMemory {
public:
    RemoteMemory(HWND window, std::size_t size)
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        m_process.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        m_address = m_process ? ::VirtualAllocEx(m_process.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE)
                              : nullptr;
    }
    ~RemoteMemory()
    {
        if (m_address) {
            ::VirtualFreeEx(m_process.get(), m_address, 0, MEM_RELEASE);
        }
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    [[nodiscard]] void* Address(std::size_t offset = 0) const
    {
        return static_cast<char*>(m_address) + offset;
    }
    [[nodiscard]] bool Valid() const { return m_address != nullptr; }
    bool Write(std::size_t offset, const void* data, std::size_t size) const
    {
        return ::WriteProcessMemory(m_process.get(), Address(offset), data, size, nullptr) != FALSE;
    }
    bool Read(std::size_t offset, void* data, std::size_t size) const
    {
        return ::ReadProcessMemory(m_process.get(), Address(offset), data, size, nullptr) != FALSE;
    }

private:
    UniqueKernelHandle m_process;
    void* m_address = nullptr;
};

} // namespace

HWND TooltipOwnedBy(HWND owner)
{
    FindTooltip find { owner, nullptr };
    ::EnumWindows(&FindOwnedTooltip, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

std::wstring ToolText(HWND tooltip, HWND tool)
{
    constexpr std::size_t kTextUnits = 1024; // the most a tip holds
    const RemoteMemory remote(tooltip, sizeof(TTTOOLINFOW) + kTextUnits * sizeof(wchar_t));
    if (!remote.Valid()) {
        return {};
    }
    const auto count = static_cast<int>(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TTTOOLINFOW info {};
        info.cbSize = sizeof info;
        if (!remote.Write(0, &info, sizeof info)
            || !::SendMessageW(
                tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.Address()))
            || !remote.Read(0, &info, sizeof info)) {
            return {};
        }
        if (info.uId != reinterpret_cast<UINT_PTR>(tool)) {
            continue;
        }
        const wchar_t empty = L'\0';
        info.lpszText = static_cast<wchar_t*>(remote.Address(sizeof info));
        if (!remote.Write(0, &info, sizeof info) || !remote.Write(sizeof info, &empty, sizeof empty)) {
            return {};
        }
        ::SendMessageW(tooltip, TTM_GETTEXTW, kTextUnits, reinterpret_cast<LPARAM>(remote.Address()));
        std::wstring text(kTextUnits, L'\0');
        if (!remote.Read(sizeof info, text.data(), kTextUnits * sizeof(wchar_t))) {
            return {};
        }
        text.resize(text.find(L'\0'));
        return text;
    }
    return {};
}

void MoveMouseTo(POINT point)
{
    INPUT input {};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(point.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(point.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    ::SendInput(1, &input, sizeof input);
}

} // namespace pelo::programtest

namespace pelo::programtest {

namespace {
int g_hotKeyCount = 0;
}

HeldHotKey::HeldHotKey(UINT modifiers, UINT virtualKey)
    : m_id(0x2000 + ++g_hotKeyCount)
    , m_held(::RegisterHotKey(nullptr, m_id, modifiers, virtualKey) != FALSE)
{
}

HeldHotKey::~HeldHotKey()
{
    if (m_held) {
        ::UnregisterHotKey(nullptr, m_id);
    }
}

LockedFile::LockedFile(const std::wstring& path, DWORD sharing)
    : m_file(::CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr))
{
}

bool EndProcessNow(DWORD pid)
{
    const UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    return process && ::TerminateProcess(process.get(), 1)
        && ::WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
}

std::vector<HWND> MenuWindows(DWORD pid)
{
    std::vector<HWND> menus;
    for (HWND window : ProcessWindows(pid)) {
        wchar_t className[16] = L"";
        ::GetClassNameW(window, className, 16);
        if (::IsWindowVisible(window) && std::wstring(className) == L"#32768") {
            menus.push_back(window);
        }
    }
    return menus;
}

std::u16string TypedBy(TypingTarget& target, WORD vk)
{
    if (!WaitUntil([&] { return target.Activate(); })) {
        return u"(not activated)";
    }
    target.TypeKey(vk);
    return target.Chars();
}

} // namespace pelo::programtest

#include <shlobj.h>
#include <shobjidl.h>

#include <memory>

#include "framework/ComPtr.h"

namespace pelo::programtest {

HWND SchemeIndicatorOf(DWORD pid, bool visibleOnly)
{
    for (HWND window : ProcessWindows(pid)) {
        wchar_t className[32] = L"";
        ::GetClassNameW(window, className, 32);
        if ((!visibleOnly || ::IsWindowVisible(window))
            && std::wstring(className) == L"PeloSchemeIndicator") {
            return window;
        }
    }
    return nullptr;
}

std::wstring StartupShortcutFile()
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(
            nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return L"";
    }
    return std::wstring(folder) + L"\\Pelo.lnk";
}

ShortcutInfo ReadShortcut(const std::wstring& file)
{
    ShortcutInfo info;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(
            CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))) {
        return info;
    }
    const ComPtr<IPersistFile> persist = link.As<IPersistFile>();
    if (!persist || FAILED(persist->Load(file.c_str(), STGM_READ))) {
        return info;
    }
    // From the item list, as the shell starts it: under Wine GetPath loses the characters outside
    // the ANSI code page.
    PIDLIST_ABSOLUTE items = nullptr;
    wchar_t target[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    if (FAILED(link->GetIDList(&items)) || !items) {
        return info;
    }
    const std::unique_ptr<ITEMIDLIST, decltype(&::CoTaskMemFree)> owned(items, &::CoTaskMemFree);
    info.read
        = ::SHGetPathFromIDListW(items, target) && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    info.target = target;
    info.workingFolder = folder;
    return info;
}

bool WriteShortcut(const std::wstring& file, const std::wstring& target, const std::wstring& workingFolder)
{
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(
            CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))
        || FAILED(link->SetPath(target.c_str()))
        || FAILED(link->SetWorkingDirectory(workingFolder.c_str()))) {
        return false;
    }
    const ComPtr<IPersistFile> persist = link.As<IPersistFile>();
    return persist && SUCCEEDED(persist->Save(file.c_str(), TRUE));
}

} // namespace pelo::programtest

// Registration-free creation of the key buttons.
#include <tlhelp32.h>

namespace pelo::programtest {

namespace {

constexpr const wchar_t* kKeyClassKey = L"CLSID\\{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}";

bool KeyExists(REGSAM view, const wchar_t* subKey)
{
    UniqueHkey key;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

} // namespace

bool RemoveKeyClassRegistration()
{
    const std::pair<const wchar_t*, const wchar_t*> keys[]
        = { { L"CLSID", L"{B5A8D3BD-DBB9-4EA9-9A4A-9C41CBA30D69}" }, { L"", L"PELOKEY.PelokeyCtrl.1" },
              { L"", L"PELOKEY.PelokeyCtrl" }, { L"TypeLib", L"{1C106E3E-E8E3-4E9C-9FFF-9A907043208E}" } };
    bool removed = true;
    for (const REGSAM view : { KEY_WOW64_64KEY, KEY_WOW64_32KEY }) {
        for (const auto& [parent, name] : keys) {
            UniqueHkey key;
            if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, parent, 0, KEY_ALL_ACCESS | view, key.put())
                == ERROR_SUCCESS) {
                ::RegDeleteTreeW(key.get(), name);
            }
        }
        removed = !KeyExists(view, kKeyClassKey) && removed;
    }
    return removed;
}

std::wstring LoadedModulePath(DWORD pid, const wchar_t* fileName)
{
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid));
    if (!snapshot) {
        return {};
    }
    MODULEENTRY32W entry {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Module32FirstW(snapshot.get(), &entry); more;
         more = ::Module32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szModule, fileName) == 0) {
            return entry.szExePath;
        }
    }
    return {};
}

} // namespace pelo::programtest
