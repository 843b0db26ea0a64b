// List of excluded programs replaced while typing: this process installs the keyboard hook and
// hands the hook library a new list 1000 times a second, alternately one that names the receiving
// program and one that does not (16 names each), while it types key presses with SendInput into a
// window of another process (this program again, started as the sink), whose hook procedure
// decides from the list whether it converts the keys. Every key must give exactly one character:
// the table's (converted) or the key's own (left alone). Once the replacing stops, the last list
// must hold at once: every key left alone under a list that names the sink, every key converted
// under one that does not, whatever answer the sink kept during the churn.
//
// Usage: PelohookListStress.exe [keys=100000] [replacements per second=1000]
//        PelohookListStress.exe --sink <object name base>    (started by the former)
// Exit status 0 when every character was one of the two and the last lists held.
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
using pelo::hook::kExcludedMax;
using pelo::hook::kExcludedNameUnits;

namespace {

// The memory shared with the sink: this header, then `capacity` characters.
struct SinkState {
    volatile LONG received; // characters stored so far
    LONG capacity;
    UINT64 hwnd;

    wchar_t* chars() { return reinterpret_cast<wchar_t*>(this + 1); }
};

void StoreChar(SinkState& state, HANDLE, wchar_t ch)
{
    const LONG index = state.received;
    if (index < state.capacity) {
        state.chars()[index] = ch;
        ::InterlockedExchange(&state.received, index + 1);
    }
}

const char kKeys[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

wchar_t Converted(int index)
{
    return static_cast<wchar_t>(0x3000 + index);
}
wchar_t LeftAlone(int index)
{
    const char key = kKeys[index];
    return static_cast<wchar_t>(key >= 'A' ? key - 'A' + 'a' : key); // as the sink translates it
}

bool Failed(const char* what)
{
    std::fprintf(stderr, "PelohookListStress: %s (error %lu)\n", what, ::GetLastError());
    return false;
}

// Sixteen names in their slots; the last one is `last`.
std::vector<wchar_t> Sixteen(const std::wstring& last)
{
    std::vector<wchar_t> slots(kExcludedMax * kExcludedNameUnits, L'\0');
    for (int i = 0; i < kExcludedMax; ++i) {
        const std::wstring name = i + 1 < kExcludedMax ? L"Other" + std::to_wstring(i) + L".exe" : last;
        std::copy(name.begin(), name.end(), slots.begin() + i * kExcludedNameUnits);
    }
    return slots;
}

struct Lists {
    std::vector<wchar_t> naming; // names the sink
    std::vector<wchar_t> notNaming;
    bool Set(bool nameSink) const
    {
        return Dll_SetExcludedProgramsInHook((nameSink ? naming : notNaming).data(), kExcludedMax) == 1;
    }
};

// Hands the two lists over alternately, `rate` times a second on average, until told to stop.
class Replacer {
public:
    Replacer(const Lists& lists, int rate)
        : m_thread([this, &lists, rate] { Run(lists, rate); })
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
    long long refused() const { return m_refused; }
    double seconds() const { return m_seconds; }

private:
    void Run(const Lists& lists, int rate)
    {
        const Stopwatch running;
        while (!m_stop) {
            const long long due = static_cast<long long>(running.Seconds() * rate);
            while (m_count < due && !m_stop) {
                m_refused += lists.Set(m_count % 2 == 0) ? 0 : 1;
                ++m_count;
            }
            ::Sleep(1);
        }
        m_seconds = running.Seconds();
    }

    std::atomic<bool> m_stop { false };
    long long m_count = 0;
    long long m_refused = 0;
    double m_seconds = 0;
    std::thread m_thread;
};

struct Counts {
    long long converted = 0;
    long long leftAlone = 0;
    long long neither = 0;
};

// Types key presses first..last-1 into the sink in batches and waits for their characters.
bool Type(SinkState& state, const SinkProcess& sink, long first, long last)
{
    constexpr long kBatch = 200;
    for (long from = first; from < last; from += kBatch) {
        const long to = std::min(last, from + kBatch);
        std::vector<INPUT> inputs;
        for (long i = from; i < to; ++i) {
            const WORD vk = static_cast<WORD>(kKeys[i % KEY_COUNT]);
            inputs.push_back(KeyInput(vk, false));
            inputs.push_back(KeyInput(vk, true));
        }
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        const Stopwatch batch;
        while (state.received < to) {
            if (batch.Seconds() > 20 || !sink.Running()) {
                return false;
            }
            ::Sleep(1);
        }
    }
    return true;
}

Counts Count(SinkState& state, long first, long last)
{
    Counts counts;
    for (long i = first; i < last && i < state.received; ++i) {
        const int index = static_cast<int>(i % KEY_COUNT);
        const wchar_t ch = state.chars()[i];
        counts.converted += ch == Converted(index) ? 1 : 0;
        counts.leftAlone += ch == LeftAlone(index) ? 1 : 0;
        counts.neither += ch != Converted(index) && ch != LeftAlone(index) ? 1 : 0;
    }
    return counts;
}

bool Run(long keys, int rate)
{
    constexpr long kSettled = 360; // keys typed under each last list
    const std::string base = "PelohookListStress." + std::to_string(::GetCurrentProcessId());
    SharedObjects shared;
    const long capacity = keys + 2 * kSettled;
    if (!CreateSharedObjects(base, sizeof(SinkState) + sizeof(wchar_t) * static_cast<size_t>(capacity),
            "state", "unused", shared)) {
        return Failed("cannot create the shared objects");
    }
    auto* state = shared.As<SinkState>();
    state->capacity = capacity;
    wchar_t exe[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path(exe, n);
    const std::wstring self = path.substr(path.find_last_of(L"\\/") + 1);
    const Lists lists { Sixteen(self), Sixteen(L"NotTheSink.exe") };

    SinkProcess sink;
    const std::string selfA(self.begin(), self.end());
    if (const char* failure = sink.Start(selfA.c_str(), "--sink " + base, shared.ready.get(), state->hwnd)) {
        return Failed(failure);
    }
    CKeyMapFangAn table;
    for (int i = 0; i < KEY_COUNT; ++i) {
        table.SetKeyTChar(i, 0, static_cast<char16_t>(Converted(i)));
        table.SetKeyTChar(i, 1, static_cast<char16_t>(Converted(i)));
    }
    Dll_SetFangAnInHook(&table);
    CKeyboardHook hook;
    if (hook.StartHook() != 1) {
        return Failed("cannot install the hook");
    }
    if (!sink.Activate()) {
        return Failed("the sink could not take the focus");
    }

    const Stopwatch typingTime;
    Replacer replacer(lists, rate);
    const bool typed = Type(*state, sink, 0, keys);
    replacer.Stop();
    const double typing = typingTime.Seconds();
    const Counts churn = Count(*state, 0, keys);

    const bool settledNaming = lists.Set(true) && Type(*state, sink, keys, keys + kSettled);
    const Counts naming = Count(*state, keys, keys + kSettled);
    const bool settledNotNaming = lists.Set(false) && Type(*state, sink, keys + kSettled, capacity);
    const Counts notNaming = Count(*state, keys + kSettled, capacity);
    (void)Dll_SetExcludedProgramsInHook(nullptr, 0);
    hook.StopHook();
    const bool sinkAlive = sink.Running();
    const DWORD sinkExit = sink.Quit(10000);

    std::printf("While the list changed: %ld keys typed in %.1f s (%.0f keys/s), %ld characters received\n",
        keys, typing, keys / typing, std::min(static_cast<long>(state->received), keys));
    std::printf("  list replaced %lld times in %.1f s (%.0f per second), refused %lld times\n",
        replacer.count(), replacer.seconds(), replacer.count() / replacer.seconds(), replacer.refused());
    std::printf("  converted: %lld, left alone: %lld, neither: %lld\n", churn.converted, churn.leftAlone,
        churn.neither);
    std::printf("Then under the list naming the sink: %lld of %ld left alone; under the other: %lld of %ld "
                "converted\n",
        naming.leftAlone, kSettled, notNaming.converted, kSettled);
    std::printf(
        "  sink process: %s, exit status %lu\n", sinkAlive ? "alive to the end" : "ENDED EARLY", sinkExit);
    return typed && churn.neither == 0 && replacer.refused() == 0 && settledNaming && settledNotNaming
        && naming.leftAlone == kSettled && notNaming.converted == kSettled && sinkAlive && sinkExit == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--sink") == 0) {
        return RunSink<SinkState, &StoreChar>(argc - 1, argv + 1, "unused", L"PelohookListStressSink");
    }
    const long keys = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100000;
    const int rate = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    const bool ok = Run(keys, rate);
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
