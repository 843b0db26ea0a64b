// Times Pelo.exe against a minimal dialog program in the same run: start-up (process start to
// the window visible and idle, i.e. painted), shutdown (WM_CLOSE to process exit), and the soft
// Shift (a click on the Shift key until the program is idle again, all 37 keys repainted); and
// reads the memory both use once started. Each program runs in a fresh folder of its own.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "Stopwatch.h"

using namespace pelo::bench;
using namespace pelo::programtest;

namespace {

constexpr int kRuns = 7;

bool AnyWindow(HWND)
{
    return true;
}

struct Run {
    double startMs = 0, closeMs = 0, shiftMs = 0;
    SIZE_T privateBytes = 0, workingSet = 0;
    bool ok = false;
};

// One start and close of exe in folder; with shiftKey, clicks it (twice, down and up again).
Run RunOnce(const ProgramFolder& folder, const wchar_t* exe, bool clickShift)
{
    Run run;
    std::wstring command = L"\"" + folder.File(exe) + L"\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    const Stopwatch starting;
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
            &startup, &info)) {
        return run;
    }
    pelo::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    const HWND window = WaitForWindowOf(info.dwProcessId, &AnyWindow, 60000);
    if (!window || ::WaitForInputIdle(process.get(), 30000) != 0) {
        ::TerminateProcess(process.get(), 1);
        return run;
    }
    run.startMs = starting.Milliseconds();

    PROCESS_MEMORY_COUNTERS_EX memory {};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(
            process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        // Wine leaves PrivateUsage at 0; the private commit it does report is the same figure.
        run.privateBytes = std::max(memory.PrivateUsage, memory.PagefileUsage);
        run.workingSet = memory.WorkingSetSize;
    }

    if (clickShift) {
        const HWND shift = ::GetDlgItem(window, 1049);
        double total = 0;
        for (int i = 0; i < 2; ++i) {
            const Stopwatch click;
            ClickCentre(shift);
            ::WaitForInputIdle(process.get(), 30000);
            total += click.Milliseconds();
        }
        run.shiftMs = total / 2;
    }

    const Stopwatch closing;
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        return run;
    }
    run.closeMs = closing.Milliseconds();
    run.ok = true;
    return run;
}

struct Summary {
    double start, close, shift;
    double privateMb, workingSetMb;
};

Summary Measure(const wchar_t* exe, bool clickShift)
{
    std::vector<double> start, close, shift, privateMb, workingSetMb;
    for (int i = 0; i < kRuns; ++i) {
        const ProgramFolder folder;
        ::CopyFileW((ExeFolder() + L"\\" + exe).c_str(), folder.File(exe).c_str(), FALSE);
        folder.WriteIni(L"SHWEL", L"SHWEL", 0);
        const Run run = RunOnce(folder, exe, clickShift);
        if (!run.ok) {
            std::fwprintf(stderr, L"%ls: run %d failed\n", exe, i + 1);
            continue;
        }
        start.push_back(run.startMs);
        close.push_back(run.closeMs);
        shift.push_back(run.shiftMs);
        privateMb.push_back(static_cast<double>(run.privateBytes) / (1024.0 * 1024.0));
        workingSetMb.push_back(static_cast<double>(run.workingSet) / (1024.0 * 1024.0));
    }
    if (start.empty()) {
        return { -1, -1, -1, -1, -1 };
    }
    return { Median(start), Median(close), Median(shift), Median(privateMb), Median(workingSetMb) };
}

} // namespace

int main()
{
    const Summary baseline = Measure(L"MinimalDialog.exe", false);
    const Summary pelo = Measure(L"Pelo.exe", true);
    if (baseline.start <= 0 || pelo.start <= 0) {
        std::puts("a program could not be started");
        return 1;
    }
    std::printf("medians of %d runs each, milliseconds and MiB\n", kRuns);
    std::printf("%-14s %10s %10s %12s %12s %12s\n", "program", "start-up", "shutdown", "soft Shift",
        "private", "working set");
    std::printf("%-14s %10.1f %10.1f %12s %12.2f %12.2f\n", "minimal dialog", baseline.start, baseline.close,
        "-", baseline.privateMb, baseline.workingSetMb);
    std::printf("%-14s %10.1f %10.1f %12.1f %12.2f %12.2f\n", "Pelo", pelo.start, pelo.close, pelo.shift,
        pelo.privateMb, pelo.workingSetMb);
    std::printf(
        "start-up ratio Pelo / minimal dialog: %.2f (goal: at most 2)\n", pelo.start / baseline.start);
    std::printf("shutdown ratio Pelo / minimal dialog: %.2f\n", pelo.close / baseline.close);
    std::printf("Pelo private memory: %.2f MiB (goal: under 10 MB)\n", pelo.privateMb);
    return 0;
}
