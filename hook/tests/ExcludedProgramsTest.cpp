// The list of programs left alone, natively: the file name of a path, the comparison ignoring
// case, the bounds of what the reader trusts, the writer, and one process's cached answer.
#include "hook/ExcludedPrograms.h"

#include "ExcludedSlots.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cwctype>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace pelo::hook;

namespace {

using List = ExcludedPrograms<char16_t>;

// Names laid out as the writer takes them.
std::vector<char16_t> Slots(const std::vector<std::u16string>& names)
{
    return pelo::hooktest::ExcludedSlots(names);
}

bool Write(List& list, const std::vector<std::u16string>& names)
{
    const std::vector<char16_t> slots = Slots(names);
    return WriteExcludedPrograms(list, slots.data(), static_cast<int>(names.size()));
}

bool Lists(const List& list, const std::u16string& name)
{
    return ListsName(list, list.count, name.data(), static_cast<int>(name.size()));
}

int Start(const std::u16string& path)
{
    return FileNameStart(path.data(), static_cast<int>(path.size()));
}

// The program file path of a process, as the hook asks for it; counts the questions.
struct FakeOwnPath {
    explicit FakeOwnPath(std::u16string p)
        : path(std::move(p))
    {
    }
    std::u16string path;
    int calls = 0;
    std::function<void()> meanwhile; // runs while the path is asked for: a writer at work

    int operator()(char16_t* out, int capacity)
    {
        ++calls;
        if (meanwhile) {
            meanwhile();
        }
        const int length = static_cast<int>(path.size());
        std::copy(path.begin(), path.begin() + std::min(length, capacity), out);
        return length; // may exceed capacity: the path did not fit
    }
};

constexpr const char16_t* kTargetPath = u"C:\\Program Files\\Remote\\MSTSC.EXE";

} // namespace

TEST(ExcludedPrograms, FileNameStart_IsAfterTheLastSeparator_BackslashSlashOrColon)
{
    EXPECT_EQ(Start(u"C:\\Windows\\System32\\mstsc.exe"), 20);
    EXPECT_EQ(Start(u"mstsc.exe"), 0);
    EXPECT_EQ(Start(u"C:mstsc.exe"), 2);
    EXPECT_EQ(Start(u"\\\\?\\C:\\tools/bin/x.exe"), 17);
    EXPECT_EQ(Start(u"C:\\dir\\"), 7);
    EXPECT_EQ(Start(u""), 0);
    // Only the given length counts: a separator past it is not seen.
    const std::u16string path = u"a\\b.exe\\c";
    EXPECT_EQ(FileNameStart(path.data(), 7), 2);
}

TEST(ExcludedPrograms, FoldCase_AgreesWithTheCLibrary_ForBasicLatinLatin1AndExtendedA)
{
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    int folded = 0;
    for (unsigned u = 0; u < 0x180; ++u) {
        if (u == 0x130) {
            continue; // the C library folds the Turkish capital dotted I to the ASCII i
        }
        EXPECT_EQ(FoldCase(u), static_cast<unsigned>(std::towlower(static_cast<wint_t>(u)))) << std::hex << u;
        EXPECT_EQ(FoldCase(FoldCase(u)), FoldCase(u)) << std::hex << u;
        folded += FoldCase(u) != u ? 1 : 0;
    }
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(folded, 26 + 30 + 62); // capitals: 26 ASCII, 30 Latin-1, 62 Extended-A besides U+0130
    EXPECT_EQ(FoldCase(0x130), 0x130u);
    EXPECT_EQ(FoldCase(0x131), 0x131u);
    EXPECT_EQ(FoldCase(0x400), 0x400u); // Cyrillic is beyond what is folded
}

TEST(ExcludedPrograms, SameName_IgnoresCase_AndWantsTheWholeName)
{
    char16_t slot[kExcludedNameUnits] = u"mstsc.exe";
    auto same = [&slot](const std::u16string& name) {
        return SameName(slot, name.data(), static_cast<int>(name.size()));
    };
    EXPECT_TRUE(same(u"mstsc.exe"));
    EXPECT_TRUE(same(u"MSTSC.EXE"));
    EXPECT_TRUE(same(u"MsTsC.eXe"));
    EXPECT_FALSE(same(u"mstsc.ex"));
    EXPECT_FALSE(same(u"mstsc.exe2"));
    EXPECT_FALSE(same(u"mstsd.exe"));
    EXPECT_FALSE(same(u""));

    std::u16string latin = u"\u00C4pfel\u0150\u0178\u017D.exe"; // Ä, Ő, Ÿ, Ž
    std::copy(latin.begin(), latin.end(), slot);
    slot[latin.size()] = 0;
    EXPECT_TRUE(same(u"\u00E4PFEL\u0151\u00FF\u017E.EXE"));
    EXPECT_FALSE(same(u"\u00C4pfel\u0150\u0178\u017D.ex\u00E9"));

    const std::u16string multiplication = u"a\u00D7b";
    std::copy(multiplication.begin(), multiplication.end(), slot);
    slot[multiplication.size()] = 0;
    EXPECT_FALSE(same(u"a\u00F7b")) << "the multiplication and division signs are no pair";
    EXPECT_TRUE(same(u"A\u00D7B"));
}

TEST(ExcludedPrograms, SameName_ReadsNothingPastTheSlot_AndAnUnterminatedSlotMatchesNothing)
{
    // Heap slots of exactly kExcludedNameUnits units: a read past them stops the sanitizer.
    const auto slot = std::make_unique<char16_t[]>(kExcludedNameUnits);
    const std::u16string longest(kExcludedNameUnits - 1, u'a');
    std::copy(longest.begin(), longest.end(), slot.get());
    slot[kExcludedNameUnits - 1] = 0;
    EXPECT_TRUE(SameName(slot.get(), longest.data(), static_cast<int>(longest.size())));
    EXPECT_TRUE(SameName(slot.get(), std::u16string(63, u'A').data(), 63));
    EXPECT_FALSE(SameName(slot.get(), std::u16string(62, u'a').data(), 62));

    slot[kExcludedNameUnits - 1] = u'a';
    const std::u16string tooLong(kExcludedNameUnits, u'a');
    EXPECT_FALSE(SameName(slot.get(), tooLong.data(), kExcludedNameUnits));
    EXPECT_FALSE(SameName(slot.get(), longest.data(), static_cast<int>(longest.size())));
    EXPECT_FALSE(SameName(slot.get(), (tooLong + u"a").data(), kExcludedNameUnits + 1));
}

TEST(ExcludedPrograms, ListsName_LooksAtTheCountedNamesOnly_UpToTheSixteenth)
{
    List list {};
    std::vector<std::u16string> names;
    for (int i = 0; i < kExcludedMax; ++i) {
        names.push_back(u"program" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".exe");
    }
    ASSERT_TRUE(Write(list, names));
    EXPECT_TRUE(Lists(list, u"programa.exe"));
    EXPECT_TRUE(Lists(list, u"PROGRAMP.EXE")) << "the sixteenth";
    EXPECT_FALSE(Lists(list, u"programq.exe"));
    EXPECT_FALSE(ListsName(list, 15, u"programp.exe", 12)) << "a name past the count";
    EXPECT_FALSE(ListsName(list, 0, u"programa.exe", 12));
}

TEST(ExcludedPrograms, ListsName_CountsAnOutOfRangeCountAsZero)
{
    List list {};
    ASSERT_TRUE(Write(list, { u"mstsc.exe" }));
    for (int count : { kExcludedMax + 1, -1, INT_MIN, INT_MAX, 1000 }) {
        EXPECT_FALSE(ListsName(list, count, u"mstsc.exe", 9)) << count;
    }
    EXPECT_TRUE(ListsName(list, kExcludedMax, u"mstsc.exe", 9));
}

TEST(ExcludedPrograms, Write_StoresTerminatedNames_ClearsTheRest_AndMovesTheGenerationOnByTwo)
{
    List list {};
    ASSERT_TRUE(Write(list, { u"one.exe", u"two.exe", u"three.exe" }));
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.generation, 2u);
    EXPECT_EQ(std::u16string(list.names[2]), u"three.exe");

    // Garbage after each name's terminator is not copied; the slots left over are cleared.
    std::vector<char16_t> slots = Slots({ u"x.exe" });
    std::fill(slots.begin() + 6, slots.end(), u'#');
    ASSERT_TRUE(WriteExcludedPrograms(list, slots.data(), 1));
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.generation, 4u);
    for (int i = 0; i < kExcludedMax; ++i) {
        for (int j = i == 0 ? 5 : 0; j < kExcludedNameUnits; ++j) {
            ASSERT_EQ(list.names[i][j], 0) << i << "," << j;
        }
    }

    ASSERT_TRUE(WriteExcludedPrograms<char16_t>(list, nullptr, 0));
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.names[0][0], 0);
    EXPECT_EQ(list.generation, 6u);
}

TEST(ExcludedPrograms, Write_RefusesABadCountMissingNamesOrAnUnterminatedName_ChangingNothing)
{
    List list {};
    ASSERT_TRUE(Write(list, { u"keep.exe" }));
    const std::vector<char16_t> seventeen = Slots(std::vector<std::u16string>(kExcludedMax + 1, u"a.exe"));
    EXPECT_FALSE(WriteExcludedPrograms(list, seventeen.data(), kExcludedMax + 1));
    EXPECT_FALSE(WriteExcludedPrograms(list, seventeen.data(), -1));
    EXPECT_FALSE(WriteExcludedPrograms(list, seventeen.data(), INT_MIN));
    EXPECT_FALSE(WriteExcludedPrograms<char16_t>(list, nullptr, 1));

    std::vector<char16_t> unterminated = Slots({ u"ok.exe", u"" });
    std::fill(unterminated.begin() + kExcludedNameUnits, unterminated.end(), u'n');
    EXPECT_FALSE(WriteExcludedPrograms(list, unterminated.data(), 2));

    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.generation, 2u);
    EXPECT_EQ(std::u16string(list.names[0]), u"keep.exe");
    EXPECT_EQ(list.names[1][0], 0);

    // Sixteen names, the last one as long as a slot allows, are fine.
    std::vector<std::u16string> sixteen(kExcludedMax, u"b.exe");
    sixteen.back() = std::u16string(kExcludedNameUnits - 1, u'z');
    EXPECT_TRUE(Write(list, sixteen));
    EXPECT_EQ(list.count, kExcludedMax);
}

TEST(ExcludedPrograms, Write_FromAnOddGeneration_EndsEvenAndFurther)
{
    List list {};
    list.generation = 7; // a writer that stopped half-way
    ASSERT_TRUE(Write(list, { u"a.exe" }));
    EXPECT_EQ(list.generation % 2, 0u);
    EXPECT_GT(list.generation, 7u);
}

TEST(ExcludedPrograms, ProcessExclusion_AsksNothing_WhileTheListIsTheInitialEmptyOne)
{
    const List list {};
    ProcessExclusion exclusion;
    FakeOwnPath own { kTargetPath };
    for (int key = 0; key < 3; ++key) {
        EXPECT_FALSE(exclusion.Excluded(list, own));
    }
    EXPECT_EQ(own.calls, 0);
}

TEST(ExcludedPrograms, ProcessExclusion_AsksOncePerGeneration_AndFollowsEachChange)
{
    List list {};
    ProcessExclusion exclusion;
    FakeOwnPath own { kTargetPath };

    ASSERT_TRUE(Write(list, { u"notepad.exe", u"mstsc.exe" }));
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 1);

    ASSERT_TRUE(Write(list, { u"notepad.exe" }));
    EXPECT_FALSE(exclusion.Excluded(list, own));
    EXPECT_FALSE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 2);

    ASSERT_TRUE(Write(list, { u"Mstsc.Exe" }));
    EXPECT_TRUE(exclusion.Excluded(list, own));
    ASSERT_TRUE(WriteExcludedPrograms<char16_t>(list, nullptr, 0));
    EXPECT_FALSE(exclusion.Excluded(list, own));
    EXPECT_FALSE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 4);
}

TEST(ExcludedPrograms, ProcessExclusion_IgnoresAGarbageCount_EvenWithTheNameInTheFirstSlot)
{
    List list {};
    ProcessExclusion exclusion;
    FakeOwnPath own { kTargetPath };
    ASSERT_TRUE(Write(list, { u"mstsc.exe" }));
    EXPECT_TRUE(exclusion.Excluded(list, own));
    for (int count : { kExcludedMax + 1, -1, INT_MIN, INT_MAX }) {
        list.count = count;
        list.generation += 2;
        EXPECT_FALSE(exclusion.Excluded(list, own)) << count;
    }
}

TEST(ExcludedPrograms, ProcessExclusion_AnUnknownOrCutPath_IsNoListedProgram)
{
    List list {};
    ASSERT_TRUE(Write(list, { u"mstsc.exe" }));
    const std::u16string tail = u"\\mstsc.exe";
    const std::u16string fits = std::u16string(kOwnPathUnits - 1 - tail.size(), u'd') + tail;
    for (const std::u16string& path : { std::u16string(), u"d" + fits, fits }) {
        ProcessExclusion exclusion;
        FakeOwnPath own { path };
        EXPECT_EQ(exclusion.Excluded(list, own), path == fits) << path.size();
    }
}

TEST(ExcludedPrograms, ProcessExclusion_KeepsNoAnswer_FromAListChangedOrBeingWrittenMeanwhile)
{
    List list {};
    ProcessExclusion exclusion;
    FakeOwnPath own { kTargetPath };
    ASSERT_TRUE(Write(list, { u"mstsc.exe" }));

    // The writer moves on while this process looks: the answer holds for that one key only.
    own.meanwhile = [&list] { list.generation += 2; };
    EXPECT_TRUE(exclusion.Excluded(list, own));
    own.meanwhile = nullptr;
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 2);
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 2);

    // Half written (odd generation): asked again at every key until the writer is done.
    list.generation += 1;
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 4);
    list.generation += 1;
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_TRUE(exclusion.Excluded(list, own));
    EXPECT_EQ(own.calls, 5);
}
