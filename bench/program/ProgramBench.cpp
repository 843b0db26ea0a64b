// Times Pelo.exe against a minimal dialog program in the same run: start-up (process start to
// the window visible and idle, i.e. painted), shutdown (WM_CLOSE to process exit), and the soft
// Shift (a click on the Shift key until the program is idle again, all 37 keys repainted); and
// reads the memory both use once started. Each program runs in a fresh folder of its own.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "ProgramDriver.h"

using namespace pelo::programtest;

namespace {

constexpr int kRuns = 7;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool AnyWindow(HWND)
{
    return true;
}

// Committed memory of a process as its address space shows it, by owner: private allocations
// (heaps, stacks, the loader's and the libraries' own), and the writable pages of each module's
// image (its data sections). Under Wine the reported private figure also holds what the Unix
// side keeps (X11, fonts, the Wine loader), which no region shows: the rest is that.
using Breakdown = std::map<std::wstring, double>;

std::wstring ModuleName(HANDLE process, void* base)
{
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = ::GetModuleFileNameExW(process, static_cast<HMODULE>(base), path, MAX_PATH);
    const std::wstring full(path, n);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

Breakdown WalkMemory(HANDLE process)
{
    Breakdown bytes;
    MEMORY_BASIC_INFORMATION region {};
    for (auto* address = static_cast<char*>(nullptr);
         ::VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State != MEM_COMMIT) {
            continue;
        }
        const double size = static_cast<double>(region.RegionSize);
        const DWORD writable
            = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (region.Type == MEM_PRIVATE) {
            bytes[L"private allocations"] += size;
        } else if (region.Type == MEM_IMAGE && (region.Protect & writable) != 0) {
            bytes[L"data of " + ModuleName(process, region.AllocationBase)] += size;
        } else if (region.Type == MEM_MAPPED && (region.Protect & writable) != 0) {
            bytes[L"writable mapped views"] += size;
        }
    }
    return bytes;
}

struct Run {
    double startMs = 0, closeMs = 0, shiftMs = 0;
    SIZE_T privateBytes = 0, workingSet = 0;
    Breakdown memory;
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
    const LARGE_INTEGER t0 = Now();
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
    run.startMs = Milliseconds(t0, Now());

    PROCESS_MEMORY_COUNTERS_EX memory {};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(
            process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        // Wine leaves PrivateUsage at 0; the private commit it does report is the same figure.
        run.privateBytes = std::max(memory.PrivateUsage, memory.PagefileUsage);
        run.workingSet = memory.WorkingSetSize;
    }
    run.memory = WalkMemory(process.get());

    if (clickShift) {
        const HWND shift = ::GetDlgItem(window, 1049);
        double total = 0;
        for (int i = 0; i < 2; ++i) {
            const LARGE_INTEGER s0 = Now();
            ClickCentre(shift);
            ::WaitForInputIdle(process.get(), 30000);
            total += Milliseconds(s0, Now());
        }
        run.shiftMs = total / 2;
    }

    const LARGE_INTEGER c0 = Now();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        return run;
    }
    run.closeMs = Milliseconds(c0, Now());
    run.ok = true;
    return run;
}

struct Summary {
    double start, close, shift;
    double privateMb, workingSetMb;
    Breakdown memory; // of the run with the median private figure, in bytes
};

Summary Measure(const wchar_t* exe, bool clickShift)
{
    std::vector<double> start, close, shift, privateMb, workingSetMb;
    std::vector<std::pair<double, Breakdown>> memory;
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
        memory.emplace_back(privateMb.back(), run.memory);
    }
    if (start.empty()) {
        return { -1, -1, -1, -1, -1, {} };
    }
    std::sort(memory.begin(), memory.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return { Median(start), Median(close), Median(shift), Median(privateMb), Median(workingSetMb),
        memory[memory.size() / 2].second };
}

// Both programs' committed memory side by side, by owner, in KiB, largest difference first.
void PrintBreakdown(const Summary& baseline, const Summary& pelo)
{
    constexpr double kKib = 1024.0;
    Breakdown all = pelo.memory;
    for (const auto& [name, bytes] : baseline.memory) {
        all[name] += 0;
    }
    std::vector<std::pair<double, std::wstring>> rows;
    double sumBase = 0, sumPelo = 0;
    for (const auto& [name, bytes] : all) {
        const auto base = baseline.memory.find(name);
        const double b = base == baseline.memory.end() ? 0 : base->second;
        rows.emplace_back(bytes - b, name);
        sumBase += b;
        sumPelo += bytes;
    }
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::printf("committed memory by owner, KiB: %12s %10s %10s\n", "minimal", "Pelo", "difference");
    for (const auto& [difference, name] : rows) {
        const auto base = baseline.memory.find(name);
        const double b = base == baseline.memory.end() ? 0 : base->second;
        std::printf("  %-40ls %10.0f %10.0f %10.0f\n", name.c_str(), b / kKib, (b + difference) / kKib,
            difference / kKib);
    }
    std::printf("  %-40s %10.0f %10.0f %10.0f\n", "sum of the regions", sumBase / kKib, sumPelo / kKib,
        (sumPelo - sumBase) / kKib);
    const double restBase = baseline.privateMb * kKib * kKib - sumBase;
    const double restPelo = pelo.privateMb * kKib * kKib - sumPelo;
    std::printf("  %-40s %10.0f %10.0f %10.0f\n", "rest of the private figure (Unix side)", restBase / kKib,
        restPelo / kKib, (restPelo - restBase) / kKib);
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
        "start-up ratio Pelo / minimal dialog: %.2f (goal: at most 1.5)\n", pelo.start / baseline.start);
    std::printf("shutdown ratio Pelo / minimal dialog: %.2f\n", pelo.close / baseline.close);
    std::printf("Pelo private memory: %.2f MiB (goal: at most 10 MiB)\n", pelo.privateMb);
    PrintBreakdown(baseline, pelo);
    return 0;
}
