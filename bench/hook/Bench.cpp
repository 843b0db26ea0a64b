// Benchmark driver: times key presses sent with SendInput until the sink process has received
// all their characters, with no hook, with Pelohook.dll (as it starts, with shortcuts passed on,
// and with a full list of excluded programs that does not name the sink) and with the minimal
// hook library, alternately for several rounds. Usage: PelohookBench.exe [keys] [rounds]
#include "hook/Pelohook.h"

#include "BenchShared.h"
#include "ExcludedSlots.h"
#include "Stopwatch.h"
#include "TypingSink.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pelo::bench;
using namespace pelo::crossprocess;
using namespace pelo::hookbench;
using namespace pelo::typingsink;

namespace {

enum Mode { kOff, kPelo, kMinimal, kPeloShortcuts, kPeloExcluded, kModeCount };
const char* const kModeNames[kModeCount]
    = { "hook off", "Pelohook.dll", "minimal hook", "Pelo+shortcuts", "Pelo+16 names" };

bool IsPelo(int mode)
{
    return mode == kPelo || mode == kPeloShortcuts || mode == kPeloExcluded;
}

// Sixteen program names, none of them the sink's, each in its slot.
std::vector<wchar_t> SixteenOtherPrograms()
{
    std::vector<std::wstring> names;
    for (int i = 0; i < pelo::hook::kExcludedMax; ++i) {
        names.push_back(L"RemoteDesktopClient" + std::to_wstring(i) + L".exe");
    }
    return pelo::hooktest::ExcludedSlots(names);
}

// Sets the options of that mode; no mode but the two leaves them on.
void SetOptions(int mode)
{
    static const std::vector<wchar_t> others = SixteenOtherPrograms();
    Dll_SetbPassShortcutsInHook(mode == kPeloShortcuts ? 1 : 0);
    if (mode == kPeloExcluded) {
        Dll_SetExcludedProgramsInHook(others.data(), pelo::hook::kExcludedMax);
    } else {
        Dll_SetExcludedProgramsInHook(nullptr, 0);
    }
}

double Fastest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// The ratio of two modes three ways: of their medians; the median of their ratios per round (the
// runs of one round lie close in time and share the machine's load of that moment); and of their
// fastest rounds, the least disturbed by other processes, as each key takes several turns between
// processes, which any other load on the machine stretches.
void PrintRatio(const std::vector<double>* ms, int mode, int base, const char* goal)
{
    std::vector<double> roundRatios;
    for (size_t r = 0; r < ms[mode].size(); ++r) {
        roundRatios.push_back(ms[mode][r] / ms[base][r]);
    }
    std::printf("  %-15s / %-13s %6.3f %9.3f %8.3f%s\n", kModeNames[mode], kModeNames[base],
        Median(ms[mode]) / Median(ms[base]), Median(roundRatios), Fastest(ms[mode]) / Fastest(ms[base]),
        goal);
}

int Fail(const char* what)
{
    std::fprintf(stderr, "PelohookBench: %s (error %lu)\n", what, ::GetLastError());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const int keys = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

    const std::string base = "PelohookBench." + std::to_string(::GetCurrentProcessId());
    SharedObjects shared;
    if (!CreateSharedObjects(base, sizeof(SinkState), "state", "done", shared)) {
        return Fail("cannot create the shared objects");
    }
    auto* state = shared.As<SinkState>();

    const pelo::UniqueHmodule minimal(::LoadLibraryW(L"PelohookMinimal.dll"));
    using HookFn = int (*)();
    const auto minimalStart = reinterpret_cast<HookFn>(
        reinterpret_cast<void*>(::GetProcAddress(minimal.get(), "MinimalHookStart")));
    const auto minimalStop = reinterpret_cast<HookFn>(
        reinterpret_cast<void*>(::GetProcAddress(minimal.get(), "MinimalHookStop")));
    if (!minimalStart || !minimalStop) {
        return Fail("cannot load PelohookMinimal.dll");
    }

    SinkProcess sink;
    if (const char* failure = sink.Start("PelohookBenchSink.exe", base, shared.ready.get(), state->hwnd)) {
        return Fail(failure);
    }

    CKeyMapFangAn table;
    for (int i = 0; i < KEY_COUNT; ++i) {
        table.SetKeyTChar(i, 0, static_cast<char16_t>(0x03B1 + i)); // beyond the 25 Greek letters: fine
        table.SetKeyTChar(i, 1, static_cast<char16_t>(0x0391 + i));
    }
    Dll_SetFangAnInHook(&table);
    CKeyboardHook pelo;

    std::vector<INPUT> inputs;
    for (int i = 0; i < keys; ++i) {
        const WORD vk = static_cast<WORD>('A' + i % 26);
        inputs.push_back(KeyInput(vk, false));
        inputs.push_back(KeyInput(vk, true));
    }

    std::vector<double> ms[kModeCount];
    int status = 0;
    for (int round = 0; round < rounds && status == 0; ++round) {
        // The order turns each round, so no mode always follows the same one.
        for (int step = 0; step < kModeCount; ++step) {
            const int mode = (step + round) % kModeCount;
            if (!sink.Activate()) {
                status = Fail("the sink cannot take the focus");
                break;
            }
            state->chars = 0;
            state->target = keys;
            SetOptions(mode);
            if ((IsPelo(mode) && pelo.StartHook() != 1) || (mode == kMinimal && minimalStart() != 1)) {
                status = Fail("cannot install the hook");
                break;
            }
            const LONGLONG start = Ticks();
            const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
            const DWORD waited = ::WaitForSingleObject(shared.signal.get(), 120000);
            if (IsPelo(mode)) {
                pelo.StopHook();
            } else if (mode == kMinimal) {
                minimalStop();
            }
            if (sent != inputs.size() || waited != WAIT_OBJECT_0) {
                std::fprintf(stderr, "PelohookBench: %s: %ld of %d characters arrived\n", kModeNames[mode],
                    state->chars, keys);
                status = 1;
                break;
            }
            // Each mode types its own characters: proof of who handled the keys.
            const UINT lastKey = (keys - 1) % 26;
            const UINT converted = 0x03B1 + 10 + lastKey;
            const UINT expected[kModeCount] = { 'a' + lastKey, converted, 'x', converted, converted };
            if (state->lastChar != expected[mode]) {
                std::fprintf(stderr, "PelohookBench: %s: last character 0x%x, expected 0x%x\n",
                    kModeNames[mode], state->lastChar, expected[mode]);
                status = 1;
                break;
            }
            ms[mode].push_back(1000.0 * Seconds(start, state->doneAt));
            std::printf("round %d  %-15s %9.1f ms\n", round + 1, kModeNames[mode], ms[mode].back());
        }
    }
    SetOptions(kOff);
    (void)sink.Quit(5000);
    if (status != 0) {
        return status;
    }

    std::printf("\n%d key presses, median and fastest of %d rounds:\n", keys, rounds);
    for (int mode = kOff; mode < kModeCount; ++mode) {
        const double median = Median(ms[mode]);
        std::printf("  %-15s %9.1f ms  %7.1f us/key  added %6.1f us/key   fastest %7.1f us/key\n",
            kModeNames[mode], median, 1000.0 * median / keys, 1000.0 * (median - Median(ms[kOff])) / keys,
            1000.0 * Fastest(ms[mode]) / keys);
    }
    std::printf("ratios:                           medians per round  fastest\n");
    PrintRatio(ms, kPelo, kOff, "");
    PrintRatio(ms, kPelo, kMinimal, "  (as it starts, for reference)");
    PrintRatio(ms, kPeloShortcuts, kMinimal, "  (goal <= 1.05)");
    PrintRatio(ms, kPeloExcluded, kMinimal, "  (goal <= 1.05)");
    PrintRatio(ms, kPeloShortcuts, kPelo, "");
    PrintRatio(ms, kPeloExcluded, kPelo, "");
    return 0;
}
