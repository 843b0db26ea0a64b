// The key buttons with no registry entry for their class: from the library the manifest names
// beside the program, or from the working folder when it is not there; and the registration for
// other hosts made and removed in the program's own process.
#include <gtest/gtest.h>

#include <string>

#include "ProgramDriver.h"

using namespace pelo::programtest;

namespace {

constexpr int kFirstKey = 1012, kLastKey = 1049, kNoKey = 1041;

bool IsKeyboard(HWND window)
{
    return ::GetDlgItem(window, 1049) != nullptr;
}

int KeyCount(HWND keyboard)
{
    int count = 0;
    for (int id = kFirstKey; id <= kLastKey; ++id) {
        count += id != kNoKey && ::GetDlgItem(keyboard, id) != nullptr ? 1 : 0;
    }
    return count;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM pid)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(pid) && (::IsWindowVisible(window) || IsKeyboard(window))) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

// The program started from a file with a working folder, in a job of its own that counts every
// process it starts.
class PeloInJob {
public:
    PeloInJob(const std::wstring& exe, const std::wstring& workingFolder)
        : m_job(::CreateJobObjectW(nullptr, nullptr))
    {
        std::wstring command = L"\"" + exe + L"\"";
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info {};
        if (!m_job
            || !::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                workingFolder.c_str(), &startup, &info)) {
            return;
        }
        const pelo::UniqueKernelHandle thread(info.hThread);
        m_process.reset(info.hProcess);
        m_pid = info.dwProcessId;
        m_inJob = ::AssignProcessToJobObject(m_job.get(), m_process.get()) != FALSE;
        ::ResumeThread(thread.get());
    }
    PeloInJob(const PeloInJob&) = delete;
    PeloInJob& operator=(const PeloInJob&) = delete;
    ~PeloInJob()
    {
        // Closed, not killed, so that no hook stays in the desktop.
        if (m_process && ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
            ::EnumWindows(&CloseWindowOf, static_cast<LPARAM>(m_pid));
            ::WaitForSingleObject(m_process.get(), 30000);
        }
    }

    [[nodiscard]] bool Started() const { return m_inJob; }
    [[nodiscard]] DWORD ProcessId() const { return m_pid; }
    [[nodiscard]] HWND WaitForKeyboard() const { return WaitForWindowOf(m_pid, &IsKeyboard, 30000); }
    DWORD Close(HWND keyboard)
    {
        ::PostMessageW(keyboard, WM_CLOSE, 0, 0);
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(m_process.get(), 30000) == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(m_process.get(), &code);
        }
        return code;
    }
    // Every process the job has held: the program and whatever it started.
    [[nodiscard]] DWORD TotalProcesses() const
    {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info {};
        ::QueryInformationJobObject(
            m_job.get(), JobObjectBasicAccountingInformation, &info, sizeof info, nullptr);
        return info.TotalProcesses;
    }

private:
    pelo::UniqueKernelHandle m_job;
    pelo::UniqueKernelHandle m_process;
    DWORD m_pid = 0;
    bool m_inJob = false;
};

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR first)
{
    *reinterpret_cast<WORD*>(first) = language;
    return FALSE;
}

// The program's manifest as stored in the file, and the language it is stored in.
std::string ManifestOf(const std::wstring& exe, WORD* language = nullptr)
{
    const pelo::UniqueHmodule image(::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const HRSRC resource = image ? ::FindResourceW(image.get(), MAKEINTRESOURCEW(1), RT_MANIFEST) : nullptr;
    const HGLOBAL loaded = resource ? ::LoadResource(image.get(), resource) : nullptr;
    const auto* text = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (text == nullptr) {
        return {};
    }
    if (language != nullptr) {
        ::EnumResourceLanguagesW(image.get(), RT_MANIFEST, MAKEINTRESOURCEW(1), &FirstLanguage,
            reinterpret_cast<LONG_PTR>(language));
    }
    return std::string(text, ::SizeofResource(image.get(), resource));
}

// Rewrites a copy of the program with its manifest less the key button library's element. (Wine
// keeps a resource that an update removes, so the manifest is replaced, not removed.)
bool DropLibraryFromManifest(const std::wstring& exe)
{
    WORD language = 0;
    std::string manifest = ManifestOf(exe, &language);
    const std::size_t from = manifest.find("<file name=\"Pelokey.ocx\"");
    const std::size_t to = manifest.find("</file>", from);
    if (from == std::string::npos || to == std::string::npos) {
        return false;
    }
    manifest.erase(from, to + 7 - from);
    const HANDLE update = ::BeginUpdateResourceW(exe.c_str(), FALSE);
    if (update == nullptr) {
        return false;
    }
    const bool updated = ::UpdateResourceW(update, RT_MANIFEST, MAKEINTRESOURCEW(1), language,
                             manifest.data(), static_cast<DWORD>(manifest.size()))
        != FALSE;
    return ::EndUpdateResourceW(update, updated ? FALSE : TRUE) && updated;
}

// The program's folder and a second folder to start it in, neither with the welcome dialog, and
// nothing of the key button library in the registry.
class RegistrationFree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.Ready());
        ASSERT_TRUE(working.Ready());
        program.WriteIni(L"SHWEL", L"SHWEL", 0);
        working.WriteIni(L"SHWEL", L"SHWEL", 0);
        ASSERT_TRUE(RemoveKeyClassRegistration());
        ASSERT_EQ(RegisteredKeyLibrary(), L"");
    }

    // The program of the program folder started in this working folder: all its keys are there,
    // made by this file of the key button library, and it closes without error.
    void ExpectKeysFrom(const std::wstring& workingFolder, const std::wstring& library) const
    {
        PeloInJob pelo(program.File(L"Pelo.exe"), workingFolder);
        ASSERT_TRUE(pelo.Started());
        const HWND keyboard = pelo.WaitForKeyboard();
        ASSERT_NE(keyboard, nullptr);
        EXPECT_EQ(KeyCount(keyboard), 37);
        EXPECT_EQ(_wcsicmp(LoadedModulePath(pelo.ProcessId(), L"Pelokey.ocx").c_str(), library.c_str()), 0);
        EXPECT_EQ(pelo.Close(keyboard), 0u);
    }

    ProgramFolder program;
    ProgramFolder working;
};

} // namespace

TEST_F(RegistrationFree, Keys_ComeFromTheLibraryTheManifestNames_WorkingFolderWithoutIt)
{
    ASSERT_TRUE(::DeleteFileW(working.File(L"Pelokey.ocx").c_str()));
    ASSERT_NO_FATAL_FAILURE(ExpectKeysFrom(working.Path(), program.File(L"Pelokey.ocx")));
    // No library in the working folder: nothing was registered from there.
    EXPECT_EQ(RegisteredKeyLibrary(), L"");
}

TEST_F(RegistrationFree, Keys_ComeFromTheWorkingFolder_LibraryNotWhereTheManifestSays)
{
    ASSERT_TRUE(::DeleteFileW(program.File(L"Pelokey.ocx").c_str()));
    ExpectKeysFrom(working.Path(), working.File(L"Pelokey.ocx"));
}

TEST_F(RegistrationFree, Keys_ComeFromTheWorkingFolder_ManifestWithoutTheClass)
{
    ASSERT_TRUE(DropLibraryFromManifest(program.File(L"Pelo.exe")));
    const std::string manifest = ManifestOf(program.File(L"Pelo.exe"));
    ASSERT_EQ(manifest.find("Pelokey.ocx"), std::string::npos);
    ASSERT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    ExpectKeysFrom(program.Path(), program.File(L"Pelokey.ocx"));
}

TEST_F(RegistrationFree, Registration_MadeAndRemovedInTheProgramsOwnProcess)
{
    PeloInJob pelo(program.File(L"Pelo.exe"), program.Path());
    ASSERT_TRUE(pelo.Started());
    const HWND keyboard = pelo.WaitForKeyboard();
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(KeyCount(keyboard), 37);
    ASSERT_TRUE(WaitUntil([&] { return KeyLibraryRegisteredAs(program.File(L"Pelokey.ocx")); }, 30000));
    EXPECT_EQ(pelo.TotalProcesses(), 1u);
    EXPECT_EQ(pelo.Close(keyboard), 0u);
    // Removed before the process ended, by the process itself.
    EXPECT_EQ(RegisteredKeyLibrary(), L"");
    EXPECT_EQ(pelo.TotalProcesses(), 1u);
}
