// The packages under Wine, each case in a Wine prefix of its own (run-in-fresh-prefix.sh): the
// installer run silently, Pelo started the way its shortcut starts it, an installation over a
// running copy, the uninstaller, and Pelo started from the portable zip's folder.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>

#include "PeloVersion.h"
#include "ProgramDriver.h"
#include "framework/ComPtr.h"
#include "framework/UniqueHandle.h"
#include "scheme/KeyMapCodec.h"

using namespace pelo::programtest;
using pelo::ComPtr;
using pelo::UniqueHkey;
using pelo::UniqueKernelHandle;

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelo";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kWelcomeCaption[] = L"欢迎使用Pelo";
const wchar_t* const kShippedFiles[]
    = { L"Pelo.exe", L"Pelokey.ocx", L"Pelohook.dll", L"帮助.chm", L"使用说明.txt" };
const wchar_t* const kSchemeFiles[]
    = { L"fangan\\1.kmf", L"fangan\\2.kmf", L"fangan\\3.kmf", L"fangan\\4.kmf", L"fangan\\5.kmf" };
const char16_t* const kSchemeNames[] = { u"方案一", u"方案二", u"方案三", u"方案四", u"方案五" };
constexpr DWORD kInstallerTimeoutMs = 60000;

struct CoTaskMemFreeDeleter {
    void operator()(wchar_t* p) const { ::CoTaskMemFree(p); }
};

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* raw = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(id, 0, nullptr, &raw);
    const std::unique_ptr<wchar_t, CoTaskMemFreeDeleter> path(raw);
    return SUCCEEDED(hr) ? std::wstring(path.get()) : std::wstring();
}

std::wstring InstallDir()
{
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Pelo";
}

std::wstring MenuShortcut()
{
    return KnownFolder(FOLDERID_Programs) + L"\\Pelo.lnk";
}

std::wstring StartupShortcut()
{
    return KnownFolder(FOLDERID_Startup) + L"\\Pelo.lnk";
}

// The build's packages sit one folder above this program.
std::wstring BuildFile(const std::wstring& name)
{
    return ExeFolder() + L"\\..\\" + name;
}

std::wstring SetupProgram()
{
    return BuildFile(PELO_PACKAGE_NAME L"-setup.exe");
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

int ReadIni(const std::wstring& folder, const wchar_t* section, const wchar_t* key)
{
    return static_cast<int>(::GetPrivateProfileIntW(section, key, -1, (folder + L"\\config.ini").c_str()));
}

// The five schemes a first run writes.
void ExpectDefaultSchemes(const std::wstring& folder)
{
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(ReadFileBytes(folder + L"\\" + kSchemeFiles[slot]),
            SchemeBytes(kSchemeNames[slot], pelo::scheme::kDefaultKeyTable))
            << "slot " << slot + 1;
    }
}

FILETIME LastWriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

std::optional<std::wstring> RegString(const wchar_t* key, const wchar_t* name)
{
    wchar_t value[1024] = L"";
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

std::optional<DWORD> RegDword(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size)
        != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool KeyExists(const wchar_t* key)
{
    UniqueHkey opened;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

// "major.minor.patch.build" of the fixed part of a file's version resource, empty without one.
std::wstring FileVersion(const std::wstring& path)
{
    std::vector<std::uint8_t> info(::GetFileVersionInfoSizeW(path.c_str(), nullptr));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (info.empty() || !::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data())
        || !::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)
        || size < sizeof *fixed) {
        return L"";
    }
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"."
        + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"."
        + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"."
        + std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

struct Shortcut {
    bool loaded = false;
    std::wstring target, workingFolder, arguments;
};

Shortcut ReadLink(const std::wstring& path)
{
    Shortcut result;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(
            CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))
        || FAILED(link.As(file)) || FAILED(file->Load(path.c_str(), STGM_READ))) {
        return result;
    }
    wchar_t text[MAX_PATH] = L"";
    result.loaded = SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
    result.target = text;
    text[0] = L'\0';
    result.loaded = result.loaded && SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH));
    result.workingFolder = text;
    text[0] = L'\0';
    result.loaded = result.loaded && SUCCEEDED(link->GetArguments(text, MAX_PATH));
    result.arguments = text;
    return result;
}

// The processes whose parent is the given process, as the system lists them now.
std::vector<UniqueKernelHandle> ChildProcesses(DWORD parent)
{
    std::vector<UniqueKernelHandle> children;
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof entry;
    if (snapshot.get() == INVALID_HANDLE_VALUE || !::Process32FirstW(snapshot.get(), &entry)) {
        return children;
    }
    do {
        if (entry.th32ParentProcessID == parent) {
            UniqueKernelHandle child(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
            if (child) {
                children.push_back(std::move(child));
            }
        }
    } while (::Process32NextW(snapshot.get(), &entry));
    return children;
}

// How many processes run an image of this file name.
int ProcessesNamed(const wchar_t* name)
{
    int count = 0;
    const UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof entry;
    if (snapshot.get() == INVALID_HANDLE_VALUE || !::Process32FirstW(snapshot.get(), &entry)) {
        return -1;
    }
    do {
        count += ::CompareStringOrdinal(entry.szExeFile, -1, name, -1, TRUE) == CSTR_EQUAL;
    } while (::Process32NextW(snapshot.get(), &entry));
    return count;
}

// Starts a command line as a user would from a prompt; the process, empty when it cannot start.
UniqueKernelHandle Launch(std::wstring command, DWORD* pid = nullptr)
{
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    if (!::CreateProcessW(
            nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << testing::PrintToString(command) << ": error " << ::GetLastError();
        return {};
    }
    const UniqueKernelHandle thread(info.hThread);
    if (pid) {
        *pid = info.dwProcessId;
    }
    return UniqueKernelHandle(info.hProcess);
}

// The exit code once the process has ended within the timeout, else STILL_ACTIVE.
DWORD ExitCode(HANDLE process, DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (process && ::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process, &code);
    }
    return code;
}

// Runs a command line and waits for it; its exit code, or STILL_ACTIVE after the timeout. With
// waitForChildren it also waits for the processes it has left running (an uninstaller runs on
// from a copy of itself and returns at once).
DWORD RunAndWait(const std::wstring& command, bool waitForChildren = false)
{
    DWORD pid = 0;
    const UniqueKernelHandle process = Launch(command, &pid);
    const DWORD code = ExitCode(process.get(), kInstallerTimeoutMs);
    if (process && waitForChildren) {
        for (const UniqueKernelHandle& child : ChildProcesses(pid)) {
            EXPECT_EQ(::WaitForSingleObject(child.get(), kInstallerTimeoutMs), WAIT_OBJECT_0);
        }
    }
    return code;
}

bool IsKeyboard(HWND window)
{
    return ::GetDlgItem(window, 1049) != nullptr;
}

bool IsWelcome(HWND window)
{
    return TextOf(window) == kWelcomeCaption;
}

// Pelo.exe started with a working folder, or only created, suspended before its first
// instruction; closed at the end if it still runs, ended if it never ran.
class StartedPelo {
public:
    enum class Start { Run, Suspended };
    StartedPelo(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
        Start start = Start::Run)
    {
        std::wstring command = Quoted(exe) + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info {};
        const DWORD flags = start == Start::Suspended ? CREATE_SUSPENDED : 0;
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, folder.c_str(),
                &startup, &info)) {
            m_thread.reset(info.hThread);
            m_process.reset(info.hProcess);
            m_pid = info.dwProcessId;
            m_suspended = start == Start::Suspended;
        }
    }
    ~StartedPelo()
    {
        if (!m_process || ::WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT) {
            return;
        }
        if (m_suspended) {
            // It never ran, so it holds no hook.
            ::TerminateProcess(m_process.get(), 99);
            ::WaitForSingleObject(m_process.get(), 10000);
            return;
        }
        // Closed, not killed: a killed process's keyboard hook would stay in the desktop.
        if (const HWND welcome = WaitForWindowOf(m_pid, &IsWelcome, 0)) {
            ::PostMessageW(welcome, WM_CLOSE, 0, 0);
        }
        if (const HWND keyboard = WaitForWindowOf(m_pid, &IsKeyboard, 5000)) {
            ::PostMessageW(keyboard, WM_CLOSE, 0, 0);
        }
        if (::WaitForSingleObject(m_process.get(), 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(m_process.get(), 99);
        }
    }
    StartedPelo(const StartedPelo&) = delete;
    StartedPelo& operator=(const StartedPelo&) = delete;

    [[nodiscard]] bool Started() const { return m_process.valid(); }
    bool Resume()
    {
        m_suspended = false;
        return ::ResumeThread(m_thread.get()) == 1;
    }

    // The keyboard window once it is shown and the program waits for messages, or nullptr.
    [[nodiscard]] HWND WaitForKeyboard() const
    {
        const HWND keyboard = WaitForWindowOf(m_pid, &IsKeyboard, 30000);
        DWORD_PTR result = 0;
        return keyboard && ::SendMessageTimeoutW(keyboard, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result)
            ? keyboard
            : nullptr;
    }
    [[nodiscard]] HWND WaitForWelcome() const { return WaitForWindowOf(m_pid, &IsWelcome, 30000); }

    [[nodiscard]] DWORD WaitForExit(DWORD timeoutMs) const { return ExitCode(m_process.get(), timeoutMs); }
    [[nodiscard]] FILETIME ExitTime() const
    {
        FILETIME created {}, exited {}, kernel {}, user {};
        ::GetProcessTimes(m_process.get(), &created, &exited, &kernel, &user);
        return exited;
    }

private:
    UniqueKernelHandle m_thread;
    UniqueKernelHandle m_process;
    DWORD m_pid = 0;
    bool m_suspended = false;
};

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_com = true;
        ASSERT_FALSE(Exists(InstallDir())) << "needs a Wine prefix of its own (run-in-fresh-prefix.sh)";
    }
    void TearDown() override
    {
        if (m_com) {
            ::CoUninitialize();
        }
    }

    // Closes the keyboard window as the Exit command does.
    static void Close(const StartedPelo& pelo, HWND keyboard)
    {
        ::PostMessageW(keyboard, WM_CLOSE, 0, 0);
        EXPECT_EQ(pelo.WaitForExit(30000), 0u);
    }

private:
    bool m_com = false;
};

} // namespace

TEST_F(PackageTest, SilentInstall_PutsFilesShortcutsAndUninstallEntry_AndTheShortcutStartsPeloInItsFolder)
{
    ASSERT_EQ(RunAndWait(Quoted(SetupProgram()) + L" /S /LOGON"), 0u);
    const std::wstring dir = InstallDir();
    for (const wchar_t* name : kShippedFiles) {
        const auto installed = ReadFileBytes(dir + L"\\" + name);
        EXPECT_FALSE(installed.empty()) << testing::PrintToString(name);
        EXPECT_EQ(installed, ReadFileBytes(BuildFile(L"package\\") + name)) << testing::PrintToString(name);
    }
    EXPECT_TRUE(Exists(dir + L"\\uninstall.exe"));
    EXPECT_FALSE(Exists(dir + L"\\config.ini"));
    EXPECT_FALSE(Exists(dir + L"\\fangan"));

    // Both shortcuts start Pelo.exe, without arguments, in the installation folder.
    for (const std::wstring& path : { MenuShortcut(), StartupShortcut() }) {
        const Shortcut link = ReadLink(path);
        ASSERT_TRUE(link.loaded) << testing::PrintToString(path);
        EXPECT_PRED2(SamePath, link.target, dir + L"\\Pelo.exe");
        EXPECT_PRED2(SamePath, link.workingFolder, dir);
        EXPECT_EQ(link.arguments, L"");
    }
    EXPECT_FALSE(RegString(kRunKey, L"Pelo").has_value());

    EXPECT_EQ(RegString(kUninstallKey, L"DisplayName"), L"Pelo");
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), PELO_VERSION_WIDE);
    EXPECT_EQ(RegString(kUninstallKey, L"DisplayIcon"), dir + L"\\Pelo.exe");
    EXPECT_NE(RegString(kUninstallKey, L"Publisher").value_or(L""), L"");
    EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), dir);
    EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"), Quoted(dir + L"\\uninstall.exe"));
    EXPECT_EQ(RegString(kUninstallKey, L"QuietUninstallString"), Quoted(dir + L"\\uninstall.exe") + L" /S");
    EXPECT_EQ(RegDword(kUninstallKey, L"NoModify"), 1u);
    EXPECT_EQ(RegDword(kUninstallKey, L"NoRepair"), 1u);

    // One version everywhere.
    const std::wstring version = PELO_VERSION_WIDE L".0";
    for (const std::wstring& file :
        { dir + L"\\Pelo.exe", dir + L"\\Pelokey.ocx", dir + L"\\Pelohook.dll", SetupProgram() }) {
        EXPECT_EQ(FileVersion(file), version) << testing::PrintToString(file);
    }

    // Started as the Start menu starts it: the welcome dialog of a first run, then the keyboard,
    // which remaps keys typed in another program and keeps its files in the installation folder.
    TypingTarget target;
    ASSERT_TRUE(target.Ready());
    const Shortcut menu = ReadLink(MenuShortcut());
    const StartedPelo pelo(menu.target, menu.arguments, menu.workingFolder);
    ASSERT_TRUE(pelo.Started());
    const HWND welcome = pelo.WaitForWelcome();
    ASSERT_NE(welcome, nullptr);
    ::PostMessageW(welcome, WM_CLOSE, 0, 0);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(target.Activate());
    target.TypeKey('A');
    EXPECT_EQ(target.Chars(), u"\u03B1");
    Close(pelo, keyboard);
    ExpectDefaultSchemes(dir);
    EXPECT_EQ(ReadIni(dir, L"SN", L"SN"), 1);
    EXPECT_EQ(ReadIni(dir, L"HOT KEY", L"SW_VK"), 68);
    EXPECT_EQ(ReadIni(dir, L"SHWEL", L"SHWEL"), 1);
}

TEST_F(PackageTest, InstallOverARunningCopy_ClosesItFirst_AndKeepsTheUsersSchemesAndSettings)
{
    ASSERT_EQ(RunAndWait(Quoted(SetupProgram()) + L" /S /LOGON"), 0u);
    const std::wstring dir = InstallDir();
    ::WritePrivateProfileStringW(L"SHWEL", L"SHWEL", L"0", (dir + L"\\config.ini").c_str());
    const StartedPelo pelo(dir + L"\\Pelo.exe", L"", dir);
    ASSERT_NE(pelo.WaitForKeyboard(), nullptr);

    // The user's own scheme in slot 3 (the running copy leaves slot 1's file alone until it
    // closes), and a spoilt read-me, which the installation must replace.
    KeyTCharPair table[KEY_COUNT];
    std::copy(std::begin(pelo::scheme::kDefaultKeyTable), std::end(pelo::scheme::kDefaultKeyTable), table);
    table[10].tchar1 = u'\u0416';
    const std::vector<std::uint8_t> scheme = SchemeBytes(u"我的方案", table);
    ASSERT_TRUE(WriteFileBytes(dir + L"\\fangan\\3.kmf", scheme));
    ASSERT_TRUE(WriteFileBytes(dir + L"\\使用说明.txt", { 'o', 'l', 'd' }));

    // Without /LOGON: the log-on start chosen before stays.
    ASSERT_EQ(RunAndWait(Quoted(SetupProgram()) + L" /S"), 0u);
    // Closed as Exit closes it, before the new files were written: it ended by itself, its
    // shutdown wrote the settings, and the uninstaller, written after the files, is newer.
    EXPECT_EQ(pelo.WaitForExit(0), 0u);
    const FILETIME exited = pelo.ExitTime(), written = LastWriteTime(dir + L"\\uninstall.exe");
    EXPECT_LE(::CompareFileTime(&exited, &written), 0);
    EXPECT_EQ(ReadIni(dir, L"SN", L"SN"), 1);
    EXPECT_EQ(ReadIni(dir, L"HOT KEY", L"SW_FG"), 2);
    EXPECT_EQ(ReadIni(dir, L"SHWEL", L"SHWEL"), 0);
    EXPECT_EQ(ReadFileBytes(dir + L"\\fangan\\3.kmf"), scheme);
    EXPECT_EQ(ReadFileBytes(dir + L"\\使用说明.txt"), ReadFileBytes(BuildFile(L"package\\使用说明.txt")));
    EXPECT_TRUE(Exists(StartupShortcut()));
}

TEST_F(PackageTest, InstallWhilePeloStarts_ClosesItOnceItIsUp_AndSilentlyGivesUpOnACopyThatNeverComesUp)
{
    ASSERT_EQ(RunAndWait(Quoted(SetupProgram()) + L" /S"), 0u);
    const std::wstring dir = InstallDir(), readme = dir + L"\\使用说明.txt";
    const std::vector<std::uint8_t> spoilt { 'o', 'l', 'd' };
    ::WritePrivateProfileStringW(L"SHWEL", L"SHWEL", L"0", (dir + L"\\config.ini").c_str());
    {
        // Created but not yet running: no keyboard window while the installer first looks.
        StartedPelo pelo(dir + L"\\Pelo.exe", L"", dir, StartedPelo::Start::Suspended);
        ASSERT_TRUE(pelo.Started());
        ASSERT_TRUE(WriteFileBytes(readme, spoilt));
        const UniqueKernelHandle setup = Launch(Quoted(SetupProgram()) + L" /S");
        EXPECT_EQ(ExitCode(setup.get(), 2000), STILL_ACTIVE);
        ASSERT_TRUE(pelo.Resume());
        EXPECT_EQ(ExitCode(setup.get(), kInstallerTimeoutMs), 0u);
        EXPECT_EQ(pelo.WaitForExit(0), 0u);
        EXPECT_EQ(ReadIni(dir, L"SN", L"SN"), 1);
        EXPECT_EQ(ReadFileBytes(readme), ReadFileBytes(BuildFile(L"package\\使用说明.txt")));
    }
    // A copy that never comes up: the silent installer neither waits for an answer nor changes
    // anything; it gives up with exit code 2.
    const StartedPelo stuck(dir + L"\\Pelo.exe", L"", dir, StartedPelo::Start::Suspended);
    ASSERT_TRUE(stuck.Started());
    ASSERT_TRUE(WriteFileBytes(readme, spoilt));
    EXPECT_EQ(RunAndWait(Quoted(SetupProgram()) + L" /S"), 2u);
    EXPECT_EQ(ReadFileBytes(readme), spoilt);
    EXPECT_EQ(stuck.WaitForExit(0), STILL_ACTIVE);
}

TEST_F(PackageTest, SilentUninstall_EndsPeloAndRemovesWhatWasInstalled_KeepsTheSchemesAndSettings)
{
    ASSERT_EQ(RunAndWait(Quoted(SetupProgram()) + L" /S /LOGON"), 0u);
    const std::wstring dir = InstallDir();
    ::WritePrivateProfileStringW(L"SHWEL", L"SHWEL", L"0", (dir + L"\\config.ini").c_str());
    // Removed at once, while Pelo may still be starting: it is closed once its keyboard is up.
    const StartedPelo pelo(dir + L"\\Pelo.exe", L"", dir);
    ASSERT_TRUE(pelo.Started());
    // The value the program's own log-on setting writes goes with the program too.
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Pelo", REG_SZ, L"x", 4), ERROR_SUCCESS);

    const auto quiet = RegString(kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quiet.has_value());
    EXPECT_EQ(RunAndWait(*quiet, true), 0u);

    EXPECT_EQ(pelo.WaitForExit(0), 0u);
    EXPECT_EQ(ProcessesNamed(L"Pelo.exe"), 0);
    for (const wchar_t* name : kShippedFiles) {
        EXPECT_FALSE(Exists(dir + L"\\" + name)) << testing::PrintToString(name);
    }
    EXPECT_FALSE(Exists(dir + L"\\uninstall.exe"));
    EXPECT_FALSE(Exists(MenuShortcut()));
    EXPECT_FALSE(Exists(StartupShortcut()));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(RegString(kRunKey, L"Pelo").has_value());
    // Silent removal keeps the user's files, as its question's default answer does.
    EXPECT_EQ(ReadIni(dir, L"SHWEL", L"SHWEL"), 0);
    EXPECT_EQ(ReadIni(dir, L"SN", L"SN"), 1);
    ExpectDefaultSchemes(dir);
}

// Needs the key button class to be created without the registry: the program's start runs the
// registration tool but does not wait for it.
TEST_F(PackageTest, PortableFolder_WithoutAClassRegistration_ShowsAll37Keys)
{
    const wchar_t* folderVariable = _wgetenv(L"PELO_PORTABLE_FOLDER");
    ASSERT_NE(folderVariable, nullptr) << "run-in-fresh-prefix.sh --unzip extracts the zip";
    const std::wstring folder = folderVariable;
    for (const wchar_t* name : kShippedFiles) {
        EXPECT_EQ(ReadFileBytes(folder + L"\\" + name), ReadFileBytes(BuildFile(L"package\\") + name))
            << testing::PrintToString(name);
    }
    ASSERT_EQ(RegisteredKeyLibrary(), L"");

    const StartedPelo pelo(folder + L"\\Pelo.exe", L"", folder);
    const HWND welcome = pelo.WaitForWelcome();
    ASSERT_NE(welcome, nullptr);
    ::PostMessageW(welcome, WM_CLOSE, 0, 0);
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    int keys = 0;
    for (int id = 1012; id <= 1049; ++id) {
        const HWND key = ::GetDlgItem(keyboard, id);
        keys += key != nullptr && ::IsWindowVisible(key);
    }
    EXPECT_EQ(keys, 37);
    Close(pelo, keyboard);
    ExpectDefaultSchemes(folder);
}
