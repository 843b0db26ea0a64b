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
#include "ExcludedSlots.h"
#include "StressTyping.h"

using namespace pelo::bench;
using namespace pelo::hookstress;
using pelo::hook::kExcludedMax;

namespace {

constexpr char kProgram[] = "PelohookListStress";

wchar_t Converted(int index)
{
    return static_cast<wchar_t>(0x3000 + index);
}
wchar_t LeftAlone(int index)
{
    const char key = kKeys[index];
    return static_cast<wchar_t>(key >= 'A' ? key - 'A' + 'a' : key); // as the sink translates it
}

// Sixteen names in their slots; the last one is `last`.
std::vector<wchar_t> Sixteen(const std::wstring& last)
{
    std::vector<std::wstring> names;
    for (int i = 0; i + 1 < kExcludedMax; ++i) {
        names.push_back(L"Other" + std::to_wstring(i) + L".exe");
    }
    names.push_back(last);
    return pelo::hooktest::ExcludedSlots(names);
}

struct Lists {
    std::vector<wchar_t> naming; // names the sink
    std::vector<wchar_t> notNaming;
    bool Set(bool nameSink) const
    {
        return Dll_SetExcludedProgramsInHook((nameSink ? naming : notNaming).data(), kExcludedMax) == 1;
    }
};

struct Counts {
    long long converted = 0;
    long long leftAlone = 0;
    long long neither = 0;
};

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
    const long capacity = keys + 2 * kSettled;
    const Lists lists { Sixteen(OwnFileName()), Sixteen(L"NotTheSink.exe") };

    Sink sink;
    if (const char* failure = sink.Start(kProgram, capacity)) {
        return Failed(kProgram, failure);
    }
    SinkState* const state = &sink.State();
    CKeyMapFangAn table;
    for (int i = 0; i < KEY_COUNT; ++i) {
        table.SetKeyTChar(i, 0, static_cast<char16_t>(Converted(i)));
        table.SetKeyTChar(i, 1, static_cast<char16_t>(Converted(i)));
    }
    Dll_SetFangAnInHook(&table);
    CKeyboardHook hook;
    if (const char* failure = sink.HookAndActivate(hook)) {
        return Failed(kProgram, failure);
    }

    const Stopwatch typingTime;
    // The two lists handed over alternately, `rate` times a second on average.
    Replacer replacer([&lists](long long n) { return lists.Set(n % 2 == 0); }, rate);
    const bool typed = sink.Type(0, keys);
    replacer.Stop();
    const double typing = typingTime.Seconds();
    const Counts churn = Count(*state, 0, keys);

    const bool settledNaming = lists.Set(true) && sink.Type(keys, keys + kSettled);
    const Counts naming = Count(*state, keys, keys + kSettled);
    const bool settledNotNaming = lists.Set(false) && sink.Type(keys + kSettled, capacity);
    const Counts notNaming = Count(*state, keys + kSettled, capacity);
    (void)Dll_SetExcludedProgramsInHook(nullptr, 0);
    hook.StopHook();
    const bool sinkAlive = sink.Process().Running();
    const DWORD sinkExit = sink.Process().Quit(10000);

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
    const Arguments arguments = ParseArguments(argc, argv);
    if (arguments.sink) {
        return RunSinkProcess(argc, argv, L"PelohookListStressSink");
    }
    const bool ok = Run(arguments.keys, arguments.rate);
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
