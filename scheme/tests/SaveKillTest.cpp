// A save killed at any moment leaves the key-map file exactly as it was before or after that
// save, never short or empty, and whatever it leaves behind does not trouble later saves or the
// slot check.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "SaveKiller.h"
#include "WinTestSupport.h"
#include "scheme/FangAnSlots.h"

using namespace schemetest;

TEST(SaveKill, SaverKilledAtManyMoments_LeavesTheOldOrTheNewFile_NeverAShortOne)
{
    TempWorkDir dir;
    ASSERT_TRUE(dir.Ok());
    ASSERT_NE(SaveLoopFile(0).size(), SaveLoopFile(1).size());

    const std::wstring helper = SaveLoopHelperBesideThisProgram();
    constexpr int kKills = 24;
    int sawFirst = 0;
    int sawSecond = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE(kill);
        // Vary the moment of the kill within and across saves.
        const KilledSave killed = KillSaveLoop(helper, static_cast<unsigned>((kill * 7) % 13) * 1000);
        ASSERT_EQ(killed.failure, "");
        if (killed.outcome == KillOutcome::FirstScheme) {
            ++sawFirst;
        } else if (killed.outcome == KillOutcome::SecondScheme) {
            ++sawSecond;
        } else {
            ADD_FAILURE() << "the key-map file holds " << killed.fileBytes
                          << " bytes that are neither scheme";
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
