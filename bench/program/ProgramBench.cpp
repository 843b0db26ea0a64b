// Times Pelo.exe against a minimal dialog program in the same run: start-up (process start to
// the window visible and idle, i.e. painted), shutdown (WM_CLOSE to process exit), and the soft
// Shift (a click on the Shift key until the program is idle again, all 37 keys repainted); and
// reads the memory both use once started. Each program runs in a fresh folder of its own.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <map>
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

// Committed memory of a process as its address space shows it, by owner: private allocations
// (heaps, stacks, the loader's and the libraries' own), and the writable pages of each module's
// image (its data sections). Under Wine the reported private figure also holds what the Unix
// side keeps (X11, fonts, the Wine loader), which no region shows: the rest is that.
using Breakdown = std::map<std::wstring, double>;

std::wstring ModuleName(HANDLE process, void* base)
{
    wchar_t path[MAX_PATH] = L"";
    const DWORD n = ::GetModuleFileNameExW(process, static_cast<HMODULE>(base), path, MAX_PATH);
    std::wstring name(path, n);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    for (wchar_t& c : name) {
        c = static_cast<wchar_t>(::towlower(c));
    }
    return name;
}

// Under Wine the private figure is the Unix process's resident anonymous memory: the pages each
// mapping has written, by file (a PE module, a Unix library) or anonymous (heaps, stacks,
// VirtualAlloc). The Unix side is read through Wine's drive Z:.
std::string ReadUnixFile(const std::string& path)
{
    const std::wstring wide = L"Z:" + std::wstring(path.begin(), path.end());
    const pelo::UniqueFile file(::CreateFileW(
        wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got != 0) {
        text.append(buffer, got);
    }
    return text;
}

std::string Utf8(const std::wstring& text)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

// The Unix process whose command line (Wine puts the Windows path there) is the program's file.
std::string UnixProcess(const std::wstring& exePath)
{
    const std::string wanted = Utf8(exePath);
    WIN32_FIND_DATAW found {};
    const HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string result;
    do {
        const std::wstring name = found.cFileName;
        if (name.find_first_not_of(L"0123456789") != std::wstring::npos) {
            continue;
        }
        const std::string pid(name.begin(), name.end());
        const std::string command = ReadUnixFile("/proc/" + pid + "/cmdline");
        if (command.size() >= wanted.size()
            && _strnicmp(command.c_str(), wanted.c_str(), wanted.size()) == 0) {
            result = pid;
        }
    } while (result.empty() && ::FindNextFileW(find, &found));
    ::FindClose(find);
    return result;
}

Breakdown UnixAnonymous(const std::wstring& exePath)
{
    Breakdown bytes;
    const std::string pid = UnixProcess(exePath);
    if (pid.empty()) {
        return bytes;
    }
    const std::string smaps = ReadUnixFile("/proc/" + pid + "/smaps");
    std::wstring owner;
    std::size_t at = 0;
    while (at < smaps.size()) {
        std::size_t end = smaps.find('\n', at);
        end = end == std::string::npos ? smaps.size() : end;
        const std::string line = smaps.substr(at, end - at);
        at = end + 1;
        const std::size_t space = line.find(' ');
        if (space != std::string::npos && line.find('-') < space) {
            // address perms offset device inode [path]
            std::size_t field = space;
            for (int i = 0; i < 4 && field != std::string::npos; ++i) {
                field = line.find_first_not_of(' ', field);
                field = field == std::string::npos ? field : line.find(' ', field);
            }
            const std::size_t pathAt
                = field == std::string::npos ? field : line.find_first_not_of(' ', field);
            std::string path = pathAt == std::string::npos ? std::string() : line.substr(pathAt);
            path.erase(0, path.find_last_of('/') + 1);
            for (char& c : path) {
                c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
            }
            owner = path.empty() ? L"anonymous (heaps, stacks, VirtualAlloc)"
                                 : std::wstring(path.begin(), path.end());
        } else if (line.rfind("Anonymous:", 0) == 0) {
            bytes[owner] += 1024.0 * std::atof(line.c_str() + 10);
        }
    }
    return bytes;
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
    Breakdown memory, anonymous;
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
    run.memory = WalkMemory(process.get());
    run.anonymous = UnixAnonymous(folder.File(exe));

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
    // Of the run with the median private figure, in bytes: committed by region, and (Wine) written.
    Breakdown memory, anonymous;
};

Summary Measure(const wchar_t* exe, bool clickShift)
{
    std::vector<double> start, close, shift, privateMb, workingSetMb;
    std::vector<std::pair<double, std::pair<Breakdown, Breakdown>>> memory;
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
        memory.emplace_back(privateMb.back(), std::make_pair(run.memory, run.anonymous));
    }
    if (start.empty()) {
        return { -1, -1, -1, -1, -1, {}, {} };
    }
    std::sort(memory.begin(), memory.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return { Median(start), Median(close), Median(shift), Median(privateMb), Median(workingSetMb),
        memory[memory.size() / 2].second.first, memory[memory.size() / 2].second.second };
}

// Both programs' memory side by side, by owner, in KiB, largest difference first; owners that
// differ by less than 8 KiB are summed in one row. The last row is what the owners leave of the
// private figure.
void PrintBreakdown(const char* title, const Breakdown& baseline, const Breakdown& pelo, const Summary& base,
    const Summary& ours)
{
    constexpr double kKib = 1024.0;
    Breakdown all = pelo;
    for (const auto& entry : baseline) {
        all[entry.first] += 0;
    }
    std::vector<std::pair<double, std::wstring>> rows;
    double sumBase = 0, sumPelo = 0, smallBase = 0, smallPelo = 0;
    for (const auto& [name, bytes] : all) {
        const auto found = baseline.find(name);
        const double b = found == baseline.end() ? 0 : found->second;
        sumBase += b;
        sumPelo += bytes;
        if (std::abs(bytes - b) < 8 * kKib) {
            smallBase += b;
            smallPelo += bytes;
        } else {
            rows.emplace_back(bytes - b, name);
        }
    }
    std::sort(rows.begin(), rows.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    std::printf("%s, KiB: %*s %10s %10s\n", title, static_cast<int>(46 - std::strlen(title)), "minimal",
        "Pelo", "difference");
    for (const auto& [difference, name] : rows) {
        const auto found = baseline.find(name);
        const double b = found == baseline.end() ? 0 : found->second;
        std::printf("  %-42ls %10.0f %10.0f %10.0f\n", name.c_str(), b / kKib, (b + difference) / kKib,
            difference / kKib);
    }
    std::printf("  %-42s %10.0f %10.0f %10.0f\n", "others (each within 8 KiB)", smallBase / kKib,
        smallPelo / kKib, (smallPelo - smallBase) / kKib);
    std::printf(
        "  %-42s %10.0f %10.0f %10.0f\n", "sum", sumBase / kKib, sumPelo / kKib, (sumPelo - sumBase) / kKib);
    const double restBase = base.privateMb * kKib * kKib - sumBase;
    const double restPelo = ours.privateMb * kKib * kKib - sumPelo;
    std::printf("  %-42s %10.0f %10.0f %10.0f\n", "private figure less the sum", restBase / kKib,
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
    PrintBreakdown("committed by region (VirtualQueryEx)", baseline.memory, pelo.memory, baseline, pelo);
    PrintBreakdown(
        "written anonymous pages (Wine: /proc smaps)", baseline.anonymous, pelo.anonymous, baseline, pelo);
    return 0;
}
