// Kill during save: scheme_save_loop.exe saves two different schemes into slot 1's key-map file
// by turns and is ended at a random moment, again and again. After every kill the file must be
// exactly one of the two schemes, never torn, short or empty; afterwards a save and the slot check
// must work as usual. Prints the counts; exit status 1 if any kill left anything else.
// Usage: scheme_save_kill_stress.exe [kills=1000] [seed]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "SaveKiller.h"
#include "SaveLoopSchemes.h"
#include "Stopwatch.h"
#include "WinTestSupport.h"
#include "scheme/FangAnSlots.h"

using namespace schemetest;

namespace {

// Microseconds one save of the helper's first scheme takes here.
unsigned MeasureOneSave()
{
    CKeyMapFangAn record;
    record.SetFangAnName(kSaveLoopSchemes[0].name);
    for (int i = 0; i < KEY_COUNT; ++i) {
        const KeyTCharPair entry = SaveLoopEntry(kSaveLoopSchemes[0], i);
        record.SetKeyTChar(i, 0, entry.tchar1);
        record.SetKeyTChar(i, 1, entry.tchar2);
    }
    constexpr int kSaves = 100;
    const pelo::bench::Stopwatch saving;
    for (int i = 0; i < kSaves; ++i) {
        record.SaveFangAnFile(L".\\fangan\\measure.kmf");
    }
    const double seconds = saving.Seconds();
    ::DeleteFileW(L".\\fangan\\measure.kmf");
    return static_cast<unsigned>(seconds * 1000000 / kSaves);
}

bool Contains(const std::vector<std::wstring>& names, const wchar_t* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

int main(int argc, char** argv)
{
    const int kills = argc > 1 ? std::atoi(argv[1]) : 1000;
    const unsigned seed
        = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : ::GetTickCount();
    TempWorkDir dir;
    if (!dir.Ok() || !::CreateDirectoryW(L"fangan", nullptr)) {
        std::printf("no working folder\n");
        return 2;
    }
    const std::wstring helper = SaveLoopHelperBesideThisProgram();

    // Kill moments spread evenly over several saves, after the helper's first two.
    const unsigned oneSave = MeasureOneSave();
    const unsigned range = std::max(4 * oneSave, 2000u);
    std::printf("one save takes %u us here; kills at 0-%u us after the helper's second save; seed %u\n",
        oneSave, range, seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<unsigned> delay(0, range);

    int first = 0;
    int second = 0;
    int neither = 0;
    int midSave = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        const KilledSave killed = KillSaveLoop(helper, delay(random));
        if (!killed.failure.empty()) {
            std::printf("kill %d: %s\n", kill, killed.failure.c_str());
            return 2;
        }
        switch (killed.outcome) {
        case KillOutcome::FirstScheme:
            ++first;
            break;
        case KillOutcome::SecondScheme:
            ++second;
            break;
        case KillOutcome::Neither:
            ++neither;
            std::printf("kill %d: the key-map file holds %zu bytes that are neither scheme\n", kill,
                killed.fileBytes);
            break;
        }
        // A temporary file left behind: the kill came inside a save, before its rename.
        if (Contains(ListFolder(L"fangan"), L"1.kmf.tmp")) {
            ++midSave;
        }
        if (kill % 100 == 0) {
            std::printf(
                "%d kills: first scheme %d, second scheme %d, neither %d\n", kill, first, second, neither);
            std::fflush(stdout);
        }
    }

    // Whatever the kills left behind, a save and the slot check work as usual.
    CKeyMapFangAn record;
    record.SetFangAnName(u"之后");
    for (int i = 0; i < KEY_COUNT; ++i) {
        record.SetKeyTChar(i, 0, static_cast<char16_t>(0x0400 + i));
        record.SetKeyTChar(i, 1, static_cast<char16_t>(0x0500 + i));
    }
    KeyTCharPair table[KEY_COUNT];
    record.GetKeyTable(table);
    const bool saved = record.SaveFangAnFile(L".\\fangan\\1.kmf") == 1
        && ReadAll(L"fangan\\1.kmf") == Encoded(u"之后", table);
    FangAnNameTable names = {};
    CheckFangAnFiles(names);
    const bool checked = std::u16string(names[0]) == u"之后"
        && ReadAll(L"fangan\\1.kmf") == Encoded(u"之后", table)
        && ListFolder(L"fangan")
            == std::vector<std::wstring> { L"1.kmf", L"2.kmf", L"3.kmf", L"4.kmf", L"5.kmf" };

    std::printf("\nKill during save: %d kills: first scheme %d, second scheme %d, torn, short or empty %d\n",
        kills, first, second, neither);
    std::printf("kills inside a save, before its rename (temporary file left behind): %d\n", midSave);
    std::printf("save after the kills: %s; slot check after the kills: %s\n", saved ? "ok" : "FAILED",
        checked ? "ok" : "FAILED");
    return neither == 0 && first + second == kills && saved && checked ? 0 : 1;
}
