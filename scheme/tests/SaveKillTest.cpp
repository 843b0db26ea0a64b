// A save killed at any moment leaves the key-map file exactly as it was before or after that
// save, never short or empty, and whatever it leaves behind does not trouble later saves or the
// slot check.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "SaveLoopSchemes.h"
#include "WinTestSupport.h"
#include "framework/UniqueHandle.h"
#include "scheme/FangAnSlots.h"

using namespace schemetest;

namespace {

// A scheme the helper saves, as its file's bytes.
Bytes HelperScheme(const SaveLoopScheme& scheme)
{
    KeyTCharPair table[KEY_COUNT];
    for (int i = 0; i < KEY_COUNT; ++i) {
        table[i] = SaveLoopEntry(scheme, i);
    }
    return Encoded(scheme.name, table);
}

std::wstring HelperPath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"scheme_save_loop.exe";
}

} // namespace

TEST(SaveKill, SaverKilledAtManyMoments_LeavesTheOldOrTheNewFile_NeverAShortOne)
{
    TempWorkDir dir;
    ASSERT_TRUE(dir.Ok());
    const Bytes first = HelperScheme(kSaveLoopSchemes[0]);
    const Bytes second = HelperScheme(kSaveLoopSchemes[1]);
    ASSERT_NE(first.size(), second.size());

    const std::wstring helper = HelperPath();
    constexpr int kKills = 24;
    int sawFirst = 0;
    int sawSecond = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE(kill);
        const std::wstring eventName
            = L"pelo-scheme-saved-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(kill);
        const pelo::UniqueKernelHandle saved(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        ASSERT_TRUE(saved.valid());
        std::wstring commandLine = L"\"" + helper + L"\" \"" + dir.Path() + L"\" " + eventName;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(::CreateProcessW(helper.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
            dir.Path().c_str(), &startup, &info))
            << ::GetLastError();
        const pelo::UniqueKernelHandle process(info.hProcess);
        const pelo::UniqueKernelHandle thread(info.hThread);

        const HANDLE waits[] = { saved.get(), process.get() };
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, 60000);
        if (woke != WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(process.get(), &code);
            ::TerminateProcess(process.get(), 1);
            FAIL() << "the saver did not get going: wait " << woke << ", exit code " << code;
        }
        // Vary the moment of the kill within and across saves.
        ::Sleep(static_cast<DWORD>((kill * 7) % 13));
        ASSERT_TRUE(::TerminateProcess(process.get(), 1));
        ASSERT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);

        const Bytes now = ReadAll(L"fangan\\1.kmf");
        if (now == first) {
            ++sawFirst;
        } else if (now == second) {
            ++sawSecond;
        } else {
            ADD_FAILURE() << "the key-map file holds " << now.size() << " bytes that are neither scheme";
        }
    }
    EXPECT_EQ(sawFirst + sawSecond, kKills);
    std::printf("killed %d times: first scheme %d, second scheme %d\n", kKills, sawFirst, sawSecond);

    // Whatever a killed save left behind, the next save and the slot check work normally.
    CKeyMapFangAn record;
    record.SetFangAnName(u"之后");
    for (int i = 0; i < KEY_COUNT; ++i) {
        record.SetKeyTChar(i, 0, static_cast<char16_t>(0x0400 + i));
        record.SetKeyTChar(i, 1, static_cast<char16_t>(0x0500 + i));
    }
    EXPECT_EQ(record.SaveFangAnFile(L".\\fangan\\1.kmf"), 1);
    KeyTCharPair table[KEY_COUNT];
    record.GetKeyTable(table);
    EXPECT_EQ(ReadAll(L"fangan\\1.kmf"), Encoded(u"之后", table));

    FangAnNameTable names = {};
    CheckFangAnFiles(names);
    EXPECT_EQ(std::u16string(names[0]), u"之后");
    EXPECT_EQ(std::u16string(names[1]), u"方案二");
    EXPECT_EQ(ReadAll(L"fangan\\1.kmf"), Encoded(u"之后", table));
    EXPECT_EQ(ListFolder(L"fangan"),
        (std::vector<std::wstring> { L"1.kmf", L"2.kmf", L"3.kmf", L"4.kmf", L"5.kmf" }));
}
