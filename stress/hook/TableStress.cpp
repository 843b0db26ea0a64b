// Table replaced while typing: this process installs the keyboard hook and hands a new table to the
// hook library 1000 times a second (alternately table A and table B), while it types key presses
// with SendInput into a window of another process (this program again, started as the sink),
// whose thread runs the hook procedure and reads the shared table. Every character the sink
// receives must be the entry of table A or of table B for the key typed; a torn entry would give a
// character of neither. A second phase replaces the table without pause while this process
// converts keys through the library as fast as it can, for the same check at a far higher rate.
//
// Usage: PelohookTableStress.exe [keys=100000] [replacements per second=1000] [seconds of phase 2=3]
//        PelohookTableStress.exe --sink <object name base>    (started by the former)
// Exit status 0 when every character belonged to one of the tables and nothing crashed.
#include "hook/Pelohook.h"

#include "Stopwatch.h"
#include "TypingSink.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace pelo::bench;
using namespace pelo::crossprocess;
using namespace pelo::typingsink;

namespace {

// The memory shared with the sink: this header, then `capacity` characters.
struct SinkState {
    volatile LONG received; // characters stored so far
    LONG capacity;
    UINT64 hwnd;

    wchar_t* chars() { return reinterpret_cast<wchar_t*>(this + 1); }
};

const char kKeys[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Two tables whose characters differ in both bytes for every key and Shift state, so that a
// character put together from the two halves of different tables matches neither.
char16_t TableChar(int table, int index, int which)
{
    return static_cast<char16_t>((table == 0 ? 0x3000 : 0x5080) + which * 0x100 + index);
}

// The sink stores every character it receives.
void StoreChar(SinkState& state, HANDLE, wchar_t ch)
{
    const LONG index = state.received;
    if (index < state.capacity) {
        state.chars()[index] = ch;
        ::InterlockedExchange(&state.received, index + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// The driver.

bool Failed(const char* what)
{
    std::fprintf(stderr, "PelohookTableStress: %s (error %lu)\n", what, ::GetLastError());
    return false;
}

struct Tables {
    CKeyMapFangAn record[2];
    Tables()
    {
        for (int table = 0; table < 2; ++table) {
            for (int i = 0; i < KEY_COUNT; ++i) {
                record[table].SetKeyTChar(i, 0, TableChar(table, i, 0));
                record[table].SetKeyTChar(i, 1, TableChar(table, i, 1));
            }
        }
    }
    // Which table the character is the entry of, or -1 for neither.
    static int Of(int index, int which, char16_t ch)
    {
        for (int table = 0; table < 2; ++table) {
            if (ch == TableChar(table, index, which)) {
                return table;
            }
        }
        return -1;
    }
};

// Hands table A and table B over alternately, `rate` times a second on average (0: without pause),
// until told to stop.
class Replacer {
public:
    Replacer(Tables& tables, int rate)
        : m_thread([this, &tables, rate] { Run(tables, rate); })
    {
    }
    ~Replacer() { Stop(); }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    long long count() const { return m_count; }
    double seconds() const { return m_seconds; }

private:
    void Run(Tables& tables, int rate)
    {
        const Stopwatch running;
        while (!m_stop) {
            const double elapsed = running.Seconds();
            const long long due = rate > 0 ? static_cast<long long>(elapsed * rate) : m_count + 1;
            while (m_count < due && !m_stop) {
                Dll_SetFangAnInHook(&tables.record[m_count % 2]);
                ++m_count;
            }
            if (rate > 0) {
                ::Sleep(1);
            }
        }
        m_seconds = running.Seconds();
    }

    std::atomic<bool> m_stop { false };
    long long m_count = 0;
    double m_seconds = 0;
    std::thread m_thread;
};

// Key press number i: which key, and whether Shift is held for it (every third one).
int KeyIndexOf(long i)
{
    return static_cast<int>(i % KEY_COUNT);
}
bool ShiftOf(long i)
{
    return i % 3 == 2;
}

struct Counts {
    long long of[2] = {};
    long long neither = 0;
    long long firstBad = -1;
};

// Phase 1: typing into the sink while the table is replaced `rate` times a second.
bool TypeIntoSink(long keys, int rate, Tables& tables, Counts& counts)
{
    const std::string base = "PelohookTableStress." + std::to_string(::GetCurrentProcessId());
    SharedObjects shared;
    const size_t size = sizeof(SinkState) + sizeof(wchar_t) * static_cast<size_t>(keys);
    if (!CreateSharedObjects(base, size, "state", "unused", shared)) {
        return Failed("cannot create the shared objects");
    }
    auto* state = shared.As<SinkState>();
    state->capacity = keys;
    char exe[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string self = std::string(exe, n).substr(std::string(exe, n).find_last_of("\\/") + 1);
    SinkProcess sink;
    if (const char* failure = sink.Start(self.c_str(), "--sink " + base, shared.ready.get(), state->hwnd)) {
        return Failed(failure);
    }

    Dll_SetFangAnInHook(&tables.record[0]);
    CKeyboardHook hook;
    if (hook.StartHook() != 1) {
        return Failed("cannot install the hook");
    }
    if (!sink.Activate()) {
        return Failed("the sink could not take the focus");
    }

    const Stopwatch typingTime;
    Replacer replacer(tables, rate);
    constexpr long kBatch = 200;
    bool complete = true;
    for (long first = 0; first < keys && complete; first += kBatch) {
        const long last = std::min(keys, first + kBatch);
        std::vector<INPUT> inputs;
        for (long i = first; i < last; ++i) {
            const WORD vk = static_cast<WORD>(kKeys[KeyIndexOf(i)]);
            if (ShiftOf(i)) {
                inputs.push_back(KeyInput(VK_SHIFT, false));
            }
            inputs.push_back(KeyInput(vk, false));
            inputs.push_back(KeyInput(vk, true));
            if (ShiftOf(i)) {
                inputs.push_back(KeyInput(VK_SHIFT, true));
            }
        }
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        // Every key-down gives one character; wait for the batch before sending the next.
        const Stopwatch batch;
        while (state->received < last) {
            if (batch.Seconds() > 20 || !sink.Running()) {
                complete = false;
                break;
            }
            ::Sleep(1);
        }
    }
    replacer.Stop();
    const double typing = typingTime.Seconds();
    hook.StopHook();

    const LONG received = state->received;
    for (LONG i = 0; i < received; ++i) {
        const int table
            = Tables::Of(KeyIndexOf(i), ShiftOf(i) ? 1 : 0, static_cast<char16_t>(state->chars()[i]));
        if (table < 0) {
            if (counts.neither++ == 0) {
                counts.firstBad = i;
            }
        } else {
            ++counts.of[table];
        }
    }
    const bool sinkAlive = sink.Running();
    const DWORD sinkExit = sink.Quit(10000);

    std::printf(
        "Phase 1, typing: %ld keys typed into another process in %.1f s (%.0f keys/s), %ld characters "
        "received\n",
        keys, typing, keys / typing, static_cast<long>(received));
    std::printf("  table replaced %lld times in %.1f s (%.0f per second)\n", replacer.count(),
        replacer.seconds(), replacer.count() / replacer.seconds());
    std::printf("  characters of table A: %lld, of table B: %lld, of neither: %lld", counts.of[0],
        counts.of[1], counts.neither);
    if (counts.firstBad >= 0) {
        std::printf(" (first: key press %lld gave U+%04X)", counts.firstBad,
            static_cast<unsigned>(state->chars()[counts.firstBad]));
    }
    std::printf(
        "\n  sink process: %s, exit status %lu\n", sinkAlive ? "alive to the end" : "ENDED EARLY", sinkExit);
    return complete && received == keys && sinkAlive && sinkExit == 0;
}

// Phase 2: conversions in this process while the table is replaced without pause.
bool ConvertWhileReplacing(double seconds, Tables& tables, Counts& counts)
{
    Replacer replacer(tables, 0);
    const Stopwatch converting;
    long long reads = 0;
    while (converting.Seconds() < seconds) {
        for (int i = 0; i < KEY_COUNT; ++i) {
            for (int which = 0; which < 2; ++which) {
                const char16_t ch = static_cast<char16_t>(
                    Dll_ConvertKeyCharToTChar(static_cast<unsigned>(kKeys[i]), which));
                const int table = Tables::Of(i, which, ch);
                if (table < 0) {
                    ++counts.neither;
                } else {
                    ++counts.of[table];
                }
                ++reads;
            }
        }
    }
    replacer.Stop();
    std::printf(
        "Phase 2, conversions: %lld in %.1f s while the table was replaced %lld times; of table A: %lld, "
        "of table B: %lld, of neither: %lld\n",
        reads, seconds, replacer.count(), counts.of[0], counts.of[1], counts.neither);
    return counts.neither == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--sink") == 0) {
        return RunSink<SinkState, &StoreChar>(argc - 1, argv + 1, "unused", L"PelohookTableStressSink");
    }
    const long keys = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100000;
    const int rate = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    const double seconds = argc > 3 ? std::max(0.1, std::atof(argv[3])) : 3.0;

    Tables tables;
    Counts typed;
    const bool typingOk = TypeIntoSink(keys, rate, tables, typed) && typed.neither == 0;
    Counts converted;
    const bool convertOk = ConvertWhileReplacing(seconds, tables, converted);
    std::printf("%s\n", typingOk && convertOk ? "PASS" : "FAIL");
    return typingOk && convertOk ? 0 : 1;
}
