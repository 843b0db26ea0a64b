// The scheme record's file operations and the slot check on real files in a fresh working
// directory, with the real hook library: what reaches the hook is read back through it.
#include <gtest/gtest.h>

#include <cstring>

#include "WinTestSupport.h"
#include "framework/UniqueHandle.h"
#include "hook/Pelohook.h"
#include "scheme/FangAnSlots.h"
#include "scheme/KeyMapCodec.h"

using namespace schemetest;
using pelo::scheme::kDefaultKeyTable;

namespace {

// As in the program, every replaced table goes to the hook library beside the tests.
const bool g_handsTablesToHook = (SetFangAnTableSink(&Dll_SetFangAnInHook), true);

struct Table {
    KeyTCharPair entries[KEY_COUNT];
};

bool operator==(const Table& a, const Table& b)
{
    for (int i = 0; i < KEY_COUNT; ++i) {
        if (a.entries[i].tchar1 != b.entries[i].tchar1 || a.entries[i].tchar2 != b.entries[i].tchar2) {
            return false;
        }
    }
    return true;
}

std::ostream& operator<<(std::ostream& out, const Table& t)
{
    for (const KeyTCharPair& e : t.entries) {
        out << std::hex << +e.tchar1 << ',' << +e.tchar2 << ' ';
    }
    return out << std::dec;
}

Table Filled(char16_t seed)
{
    Table t;
    for (int i = 0; i < KEY_COUNT; ++i) {
        t.entries[i] = { static_cast<char16_t>(seed + 2 * i), static_cast<char16_t>(seed + 2 * i + 1) };
    }
    return t;
}

Table DefaultTable()
{
    Table t;
    std::memcpy(t.entries, kDefaultKeyTable, sizeof t.entries);
    return t;
}

Table TableOf(const CKeyMapFangAn& record)
{
    Table t;
    record.GetKeyTable(t.entries);
    return t;
}

// The hook library's copy, as its conversion export reports it.
Table HookTable()
{
    Table t;
    for (int i = 0; i < KEY_COUNT; ++i) {
        const unsigned int key = i < 10 ? '0' + i : 'A' + (i - 10);
        t.entries[i] = { static_cast<char16_t>(Dll_ConvertKeyCharToTChar(key, 0)),
            static_cast<char16_t>(Dll_ConvertKeyCharToTChar(key, 1)) };
    }
    return t;
}

// Puts a table into the hook library without going through the code under test's paths.
void PutInHook(const Table& t)
{
    CKeyMapFangAn other;
    for (int i = 0; i < KEY_COUNT; ++i) {
        other.SetKeyTChar(i, 0, t.entries[i].tchar1);
        other.SetKeyTChar(i, 1, t.entries[i].tchar2);
    }
    Dll_SetFangAnInHook(&other);
}

std::u16string NameOf(const CKeyMapFangAn& record)
{
    char16_t name[FANGAN_NAME_UNITS + 1] = {};
    record.GetFangAnName(name);
    return name;
}

// Loads path into the record while the hook library holds another table: the load succeeds and
// leaves the name in the record and the table in both the record and the hook library.
void ExpectLoaded(CKeyMapFangAn& record, const wchar_t* path, const std::u16string& name, const Table& table)
{
    SCOPED_TRACE(path);
    PutInHook(Filled(0x1000));
    EXPECT_EQ(record.LoadFangAnFile(path), 1);
    EXPECT_EQ(NameOf(record), name);
    EXPECT_EQ(TableOf(record), table);
    EXPECT_EQ(HookTable(), table);
}

// Characters the file format must carry by position: separators, zero, surrogates, a BOM.
Table AwkwardTable()
{
    const char16_t units[] = { 0x000A, u',', u';', 0, 0x000D, 0xFEFF, 0xD800, 0xFFFF, 0xDFFF, 0x0100 };
    Table t;
    for (int i = 0; i < KEY_COUNT; ++i) {
        t.entries[i] = { units[i % 10], units[(i * 7 + 3) % 10] };
    }
    return t;
}

class SchemeFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()); }
    TempWorkDir m_dir;
};

using SlotCheck = SchemeFile;

} // namespace

TEST_F(SchemeFile, Save_WritesTheExactBytesAndCreatesTheFolder_WhenTheFolderIsMissing)
{
    ASSERT_FALSE(DirectoryExists(L"fangan"));
    CKeyMapFangAn record;
    record.SetDefaultFangAn(u"方案一");
    EXPECT_EQ(record.SaveFangAnFile(L".\\fangan\\1.kmf"), 1);
    EXPECT_TRUE(DirectoryExists(L"fangan"));
    const Bytes standard = ReadAll(L".\\fangan\\1.kmf");
    ASSERT_EQ(standard.size(), 368u);
    const Bytes head = { 0xB9, 0x65, 0x48, 0x68, 0x00, 0x4E, 0x0A, 0x00, 0x69, 0x21, 0x2C, 0x00, 0x41, 0x53,
        0x3B, 0x00, 0x0A, 0x00, 0x60, 0x21, 0x2C, 0x00, 0x00, 0x4E, 0x3B, 0x00, 0x0A, 0x00 };
    EXPECT_EQ(Bytes(standard.begin(), standard.begin() + head.size()), head);
    EXPECT_EQ(standard, Encoded(u"方案一", kDefaultKeyTable));
    EXPECT_EQ(ListFolder(L"fangan"), std::vector<std::wstring> { L"1.kmf" });
}

TEST_F(SchemeFile, Save_ReplacesALongerFileAndAStaleTemporaryFile_LeavingOnlyTheKeyMapFile)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    ASSERT_TRUE(WriteRaw(L"fangan\\1.kmf", Bytes(5000, 0x41)));
    ASSERT_TRUE(WriteRaw(L"fangan\\1.kmf.tmp", Bytes(7, 0x42)));
    CKeyMapFangAn record;
    record.SetDefaultFangAn(u"短");
    EXPECT_EQ(record.SaveFangAnFile(L".\\fangan\\1.kmf"), 1);
    EXPECT_EQ(ReadAll(L"fangan\\1.kmf"), Encoded(u"短", kDefaultKeyTable));
    EXPECT_EQ(ListFolder(L"fangan"), std::vector<std::wstring> { L"1.kmf" });
}

TEST_F(SchemeFile, Save_ReturnsZeroAndKeepsTheOldFile_WhenTheFileCannotBeReplaced)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    const Bytes old = Encoded(u"旧", kDefaultKeyTable);
    ASSERT_TRUE(WriteRaw(L"fangan\\1.kmf", old));
    ASSERT_TRUE(::SetFileAttributesW(L"fangan\\1.kmf", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryW(L"fangan\\2.kmf", nullptr));

    CKeyMapFangAn record;
    record.SetDefaultFangAn(u"新");
    EXPECT_EQ(record.SaveFangAnFile(L".\\fangan\\1.kmf"), 0);
    EXPECT_EQ(ReadAll(L"fangan\\1.kmf"), old);
    EXPECT_EQ(record.SaveFangAnFile(L".\\fangan\\2.kmf"), 0);
    EXPECT_TRUE(DirectoryExists(L"fangan\\2.kmf"));
    EXPECT_EQ(record.SaveFangAnFile(L".\\nowhere\\1.kmf"), 0);
    EXPECT_FALSE(DirectoryExists(L"nowhere"));

    EXPECT_EQ(ListFolder(L"fangan"), (std::vector<std::wstring> { L"1.kmf", L"2.kmf" }));
    EXPECT_EQ(ListFolder(L"."), std::vector<std::wstring> { L"fangan" });
}

TEST_F(SchemeFile, Load_ReadsBackEverySavedUnitAndName_AndHandsTheTableToTheHook)
{
    CKeyMapFangAn writer;
    const Table awkward = AwkwardTable();
    writer.SetKeyTable(awkward.entries);
    writer.SetFangAnName(u"二十个字的名字二十个字的名字二十个字的名");
    ASSERT_EQ(writer.SaveFangAnFile(L".\\fangan\\1.kmf"), 1);
    writer.SetFangAnName(u"短名");
    ASSERT_EQ(writer.SaveFangAnFile(L".\\fangan\\2.kmf"), 1);

    CKeyMapFangAn reader;
    reader.SetDefaultFangAn(u"初始");
    ExpectLoaded(reader, L".\\fangan\\1.kmf", u"二十个字的名字二十个字的名字二十个字的名", awkward);
    // A shorter name loaded over a longer one shows nothing of the longer one.
    ExpectLoaded(reader, L".\\fangan\\2.kmf", u"短名", awkward);
}

TEST_F(SchemeFile, Load_BuildsSavesAndHandsOverTheDefaultScheme_WhenTheFileIsMissing)
{
    CKeyMapFangAn record;
    ExpectLoaded(record, L".\\fangan\\4.kmf", u"方案四", DefaultTable());
    EXPECT_EQ(ReadAll(L"fangan\\4.kmf"), Encoded(u"方案四", kDefaultKeyTable));

    ExpectLoaded(record, L".\\fangan\\extra.kmf", u"方案a", DefaultTable());
    EXPECT_EQ(ReadAll(L"fangan\\extra.kmf"), Encoded(u"方案a", kDefaultKeyTable));
}

TEST_F(SchemeFile, Load_KeepsEarlierCharactersAndStillHandsOver_WhenTheFileIsShortOrEmpty)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    const Table stored = Filled(0x5000);
    const Table previous = Filled(0x6000);
    const Bytes full = Encoded(u"方案", stored.entries);
    // Cut after key 17's first character: keys 0-16 whole, key 17 half, the rest missing.
    const size_t cut = 6 + 10 * 17 + 2;
    ASSERT_TRUE(WriteRaw(L"fangan\\cut.kmf", Bytes(full.begin(), full.begin() + cut)));
    ASSERT_TRUE(WriteRaw(L"fangan\\empty.kmf", Bytes()));

    CKeyMapFangAn record;
    record.SetFangAnName(u"以前的名字");
    record.SetKeyTable(previous.entries);
    Table expected = previous;
    for (int i = 0; i < 17; ++i) {
        expected.entries[i] = stored.entries[i];
    }
    expected.entries[17].tchar1 = stored.entries[17].tchar1;
    ExpectLoaded(record, L".\\fangan\\cut.kmf", u"方案", expected);
    ExpectLoaded(record, L".\\fangan\\empty.kmf", u"", expected);
}

TEST_F(SchemeFile, Load_ReturnsZeroAndChangesNothing_WhenTheFileCannotBeOpened)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    ASSERT_TRUE(::CreateDirectoryW(L"fangan\\folder.kmf", nullptr));
    ASSERT_TRUE(WriteRaw(L"fangan\\locked.kmf", Encoded(u"锁", kDefaultKeyTable)));
    const pelo::UniqueFile lock(::CreateFileW(
        L"fangan\\locked.kmf", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock.valid());

    CKeyMapFangAn record;
    const Table mine = Filled(0x7000);
    record.SetFangAnName(u"原来");
    record.SetKeyTable(mine.entries);
    const Table inHook = Filled(0x1000);
    PutInHook(inHook);
    for (const wchar_t* path : { L".\\fangan\\folder.kmf", L".\\fangan\\locked.kmf" }) {
        EXPECT_EQ(record.LoadFangAnFile(path), 0);
        EXPECT_EQ(NameOf(record), u"原来");
        EXPECT_EQ(TableOf(record), mine);
        EXPECT_EQ(HookTable(), inHook);
        EXPECT_EQ(record.ReadFangAnName(path), 0);
        EXPECT_EQ(NameOf(record), u"原来");
    }
}

TEST_F(SchemeFile, ReadFangAnName_SucceedsOnlyOnACompleteNameLine_AndTouchesNothingElse)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    ASSERT_TRUE(WriteRaw(L"fangan\\empty-name.kmf", Encoded(u"", kDefaultKeyTable)));
    ASSERT_TRUE(WriteRaw(L"fangan\\twenty.kmf", Utf16Bytes(u"ABCDEFGHIJKLMNOPQRST")));
    ASSERT_TRUE(WriteRaw(L"fangan\\nineteen.kmf", Utf16Bytes(u"ABCDEFGHIJKLMNOPQRS")));
    ASSERT_TRUE(WriteRaw(L"fangan\\empty.kmf", Bytes()));

    CKeyMapFangAn record;
    const Table mine = Filled(0x7000);
    record.SetKeyTable(mine.entries);
    const Table inHook = Filled(0x1000);
    PutInHook(inHook);

    record.SetFangAnName(u"旧名字");
    EXPECT_NE(record.ReadFangAnName(L".\\fangan\\empty-name.kmf"), 0);
    EXPECT_EQ(NameOf(record), u"");
    EXPECT_NE(record.ReadFangAnName(L".\\fangan\\twenty.kmf"), 0);
    EXPECT_EQ(NameOf(record), u"ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(record.ReadFangAnName(L".\\fangan\\nineteen.kmf"), 0);
    EXPECT_EQ(NameOf(record), u"ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(record.ReadFangAnName(L".\\fangan\\empty.kmf"), 0);
    EXPECT_EQ(record.ReadFangAnName(L".\\fangan\\missing.kmf"), 0);
    EXPECT_FALSE(FileExists(L"fangan\\missing.kmf"));

    EXPECT_EQ(TableOf(record), mine);
    EXPECT_EQ(HookTable(), inHook);
}

TEST_F(SchemeFile, WholeTableChanges_ReachTheHook_SingleCharacterEditsDoNot)
{
    CKeyMapFangAn record;
    const Table first = Filled(0x2200);
    record.SetKeyTable(first.entries);
    EXPECT_EQ(HookTable(), first);

    record.SetKeyTChar(KeyCharToIndex('Q'), 1, u'Ж');
    EXPECT_EQ(record.GetKeyTChar(KeyCharToIndex('Q'), 1), u'Ж');
    EXPECT_EQ(HookTable(), first);

    record.SetDefaultFangAn(u"方案五");
    EXPECT_EQ(HookTable(), DefaultTable());
    EXPECT_EQ(NameOf(record), u"方案五");

    char16_t name[FANGAN_NAME_UNITS + 1];
    std::memset(name, 0x33, sizeof name);
    record.GetFangAnName(name);
    EXPECT_EQ(name[3], 0);
    EXPECT_EQ(name[19], 0);
    EXPECT_EQ(name[20], 0x3333) << "the 21st unit belongs to the caller";
}

TEST_F(SlotCheck, EmptyFolder_GetsAllFiveDefaultFiles_AndTheHookKeepsItsTable)
{
    FangAnNameTable names;
    std::memset(names, 0x55, sizeof names);
    const Table inHook = Filled(0x1000);
    PutInHook(inHook);

    CheckFangAnFiles(names);

    const std::u16string expected[] = { u"方案一", u"方案二", u"方案三", u"方案四", u"方案五" };
    for (int slot = 1; slot <= FANGAN_SLOT_COUNT; ++slot) {
        SCOPED_TRACE(slot);
        const FangAnSlot* entry = FangAnSlotOf(slot);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(std::u16string(names[slot - 1]), expected[slot - 1]);
        EXPECT_EQ(names[slot - 1][FANGAN_NAME_UNITS], 0);
        EXPECT_EQ(ReadAll(entry->szPath), Encoded(entry->szDefaultName, kDefaultKeyTable));

        // The name a lost slot file would be re-created under matches the slot's own.
        pelo::scheme::NameBuffer lostName;
        pelo::scheme::DefaultSchemeName(reinterpret_cast<const char16_t*>(entry->szPath), lostName);
        EXPECT_EQ(std::u16string(lostName), std::u16string(entry->szDefaultName));
    }
    EXPECT_EQ(FangAnSlotOf(0), nullptr);
    EXPECT_EQ(FangAnSlotOf(6), nullptr);
    EXPECT_EQ(HookTable(), inHook);
    EXPECT_EQ(ListFolder(L"fangan"),
        (std::vector<std::wstring> { L"1.kmf", L"2.kmf", L"3.kmf", L"4.kmf", L"5.kmf" }));
}

TEST_F(SlotCheck, ReadableFilesAreKeptByteForByte_BrokenOnesBecomeDefaults)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    const Bytes custom = Encoded(u"我的方案", AwkwardTable().entries);
    const Bytes twentyNoLineFeed = Utf16Bytes(u"ABCDEFGHIJKLMNOPQRST");
    ASSERT_TRUE(WriteRaw(L"fangan\\1.kmf", custom));
    ASSERT_TRUE(WriteRaw(L"fangan\\2.kmf", Bytes()));
    ASSERT_TRUE(WriteRaw(L"fangan\\3.kmf", Utf16Bytes(u"ABCDEFGHIJKLMNOPQRS")));
    ASSERT_TRUE(WriteRaw(L"fangan\\4.kmf", twentyNoLineFeed));
    ASSERT_TRUE(WriteRaw(L"fangan\\5.kmf", Bytes { 0x41 }));
    ASSERT_TRUE(WriteRaw(L"fangan\\1.kmf.tmp", Bytes(3, 0)));

    FangAnNameTable names = {};
    CheckFangAnFiles(names);

    EXPECT_EQ(std::u16string(names[0]), u"我的方案");
    EXPECT_EQ(ReadAll(L"fangan\\1.kmf"), custom);
    EXPECT_EQ(std::u16string(names[1]), u"方案二");
    EXPECT_EQ(ReadAll(L"fangan\\2.kmf"), Encoded(u"方案二", kDefaultKeyTable));
    EXPECT_EQ(std::u16string(names[2]), u"方案三");
    EXPECT_EQ(ReadAll(L"fangan\\3.kmf"), Encoded(u"方案三", kDefaultKeyTable));
    EXPECT_EQ(std::u16string(names[3]), u"ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(ReadAll(L"fangan\\4.kmf"), twentyNoLineFeed);
    EXPECT_EQ(std::u16string(names[4]), u"方案五");
    EXPECT_EQ(ReadAll(L"fangan\\5.kmf"), Encoded(u"方案五", kDefaultKeyTable));
}

TEST_F(SlotCheck, FilesThatAreThereButCannotBeRead_AreKeptUnderTheDefaultName_MissingOnesAreCreated)
{
    ASSERT_TRUE(::CreateDirectoryW(L"fangan", nullptr));
    const Bytes denied = Encoded(u"用户的方案", AwkwardTable().entries);
    const Bytes locked = Encoded(u"另一个", kDefaultKeyTable);
    ASSERT_TRUE(WriteRaw(L"fangan\\1.kmf", denied));
    ASSERT_TRUE(::CreateDirectoryW(L"fangan\\2.kmf", nullptr));
    ASSERT_TRUE(WriteRaw(L"fangan\\4.kmf", locked));
    ASSERT_TRUE(WriteRaw(L"fangan\\5.kmf", Bytes()));
    {
        const DenyReading deny(L".\\fangan\\1.kmf");
        ASSERT_TRUE(deny.Installed());
        // Held by a writer that lets the file be renamed or deleted but not read.
        const pelo::UniqueFile lock(::CreateFileW(L"fangan\\4.kmf", GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock.valid());

        FangAnNameTable names;
        std::memset(names, 0x55, sizeof names);
        CheckFangAnFiles(names);

        EXPECT_GE(deny.Refusals(), 1);
        const std::u16string expected[] = { u"方案一", u"方案二", u"方案三", u"方案四", u"方案五" };
        for (int i = 0; i < FANGAN_SLOT_COUNT; ++i) {
            EXPECT_EQ(std::u16string(names[i]), expected[i]) << "slot " << i + 1;
            EXPECT_EQ(names[i][FANGAN_NAME_UNITS], 0);
        }
    }
    EXPECT_EQ(ReadAll(L"fangan\\1.kmf"), denied);
    EXPECT_TRUE(DirectoryExists(L"fangan\\2.kmf"));
    EXPECT_EQ(ReadAll(L"fangan\\3.kmf"), Encoded(u"方案三", kDefaultKeyTable));
    EXPECT_EQ(ReadAll(L"fangan\\4.kmf"), locked);
    EXPECT_EQ(ReadAll(L"fangan\\5.kmf"), Encoded(u"方案五", kDefaultKeyTable));
    EXPECT_EQ(ListFolder(L"fangan"),
        (std::vector<std::wstring> { L"1.kmf", L"2.kmf", L"3.kmf", L"4.kmf", L"5.kmf" }));
}
