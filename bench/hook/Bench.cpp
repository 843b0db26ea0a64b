// Benchmark driver: times key presses sent with SendInput until the sink process has received
// all their characters, with no hook, with Pelohook.dll and with the minimal hook library,
// alternately for several rounds. Usage: PelohookBench.exe [keys] [rounds]
#include "hook/Pelohook.h"

#include "BenchShared.h"
#include "CrossProcess.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pelo::crossprocess;
using namespace pelo::hookbench;

namespace {

enum Mode { kOff, kPelo, kMinimal, kModeCount };
const char* const kModeNames[kModeCount] = { "hook off", "Pelohook.dll", "minimal hook" };

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
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

    const pelo::UniqueKernelHandle sink = LaunchBeside("PelohookBenchSink.exe", base);
    if (!sink) {
        return Fail("cannot start PelohookBenchSink.exe");
    }
    const HANDLE waits[] = { shared.ready.get(), sink.get() };
    if (::WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0) {
        return Fail("the sink did not start");
    }
    const HWND sinkWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(state->hwnd));

    CKeyMapFangAn table;
    for (int i = 0; i < KEY_COUNT; ++i) {
        table.SetKeyTChar(i, 0, static_cast<char16_t>(0x03B1 + i)); // beyond the 25 Greek letters: fine
        table.SetKeyTChar(i, 1, static_cast<char16_t>(0x0391 + i));
    }
    Dll_SetFangAnInHook(&table);
    CKeyboardHook pelo;

    std::vector<INPUT> inputs;
    for (int i = 0; i < keys; ++i) {
        for (DWORD flags : { DWORD { 0 }, DWORD { KEYEVENTF_KEYUP } }) {
            INPUT in {};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = static_cast<WORD>('A' + i % 26);
            in.ki.dwFlags = flags;
            inputs.push_back(in);
        }
    }

    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> ms[kModeCount];
    int status = 0;
    for (int round = 0; round < rounds && status == 0; ++round) {
        // The order turns each round, so no mode always follows the same one.
        for (int step = 0; step < kModeCount; ++step) {
            const int mode = (step + round) % kModeCount;
            DWORD_PTR focused = 0;
            if (!::SendMessageTimeoutW(sinkWindow, kMsgActivate, 0, 0, SMTO_BLOCK, 10000, &focused)
                || !focused) {
                status = Fail("the sink cannot take the focus");
                break;
            }
            state->chars = 0;
            state->target = keys;
            if ((mode == kPelo && pelo.StartHook() != 1) || (mode == kMinimal && minimalStart() != 1)) {
                status = Fail("cannot install the hook");
                break;
            }
            LARGE_INTEGER start;
            ::QueryPerformanceCounter(&start);
            const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
            const DWORD waited = ::WaitForSingleObject(shared.signal.get(), 120000);
            if (mode == kPelo) {
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
            const UINT expected[kModeCount] = { 'a' + lastKey, 0x03B1 + 10 + lastKey, 'x' };
            if (state->lastChar != expected[mode]) {
                std::fprintf(stderr, "PelohookBench: %s: last character 0x%x, expected 0x%x\n",
                    kModeNames[mode], state->lastChar, expected[mode]);
                status = 1;
                break;
            }
            ms[mode].push_back(1000.0 * static_cast<double>(state->doneAt - start.QuadPart)
                / static_cast<double>(frequency.QuadPart));
            std::printf("round %d  %-13s %9.1f ms\n", round + 1, kModeNames[mode], ms[mode].back());
        }
    }
    ::PostMessageW(sinkWindow, kMsgQuit, 0, 0);
    if (::WaitForSingleObject(sink.get(), 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(sink.get(), 1);
    }
    if (status != 0) {
        return status;
    }

    double median[kModeCount];
    std::printf("\n%d key presses, median of %d rounds:\n", keys, rounds);
    for (int mode = kOff; mode < kModeCount; ++mode) {
        median[mode] = Median(ms[mode]);
        std::printf(
            "  %-13s %9.1f ms  %7.1f us/key\n", kModeNames[mode], median[mode], 1000.0 * median[mode] / keys);
    }
    std::printf("added cost per key: Pelohook.dll %.1f us, minimal hook %.1f us\n",
        1000.0 * (median[kPelo] - median[kOff]) / keys, 1000.0 * (median[kMinimal] - median[kOff]) / keys);
    std::printf("ratio hook on / hook off (Pelohook.dll): %.3f\n", median[kPelo] / median[kOff]);
    std::printf(
        "ratio Pelohook.dll / minimal hook:       %.3f  (goal <= 1.10)\n", median[kPelo] / median[kMinimal]);
    // The runs of one round lie close in time and share the machine's load of that moment.
    std::vector<double> roundRatios;
    for (size_t r = 0; r < ms[kPelo].size(); ++r) {
        roundRatios.push_back(ms[kPelo][r] / ms[kMinimal][r]);
    }
    std::printf("median of per-round ratios Pelohook.dll / minimal hook: %.3f\n", Median(roundRatios));
    return 0;
}
