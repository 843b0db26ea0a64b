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
#include "StressTyping.h"

using namespace pelo::bench;
using namespace pelo::hookstress;

namespace {

// Two tables whose characters differ in both bytes for every key and Shift state, so that a
// character put together from the two halves of different tables matches neither.
char16_t TableChar(int table, int index, int which)
{
    return static_cast<char16_t>((table == 0 ? 0x3000 : 0x5080) + which * 0x100 + index);
}

constexpr char kProgram[] = "PelohookTableStress";

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
Replacer TableReplacer(Tables& tables, int rate)
{
    return Replacer(
        [&tables](long long n) {
            Dll_SetFangAnInHook(&tables.record[n % 2]);
            return true;
        },
        rate);
}

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
    Sink sink;
    if (const char* failure = sink.Start(kProgram, keys)) {
        return Failed(kProgram, failure);
    }
    SinkState* const state = &sink.State();

    Dll_SetFangAnInHook(&tables.record[0]);
    CKeyboardHook hook;
    if (const char* failure = sink.HookAndActivate(hook)) {
        return Failed(kProgram, failure);
    }

    const Stopwatch typingTime;
    Replacer replacer = TableReplacer(tables, rate);
    const bool complete = sink.Type(0, keys, ShiftOf);
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
    const bool sinkAlive = sink.Process().Running();
    const DWORD sinkExit = sink.Process().Quit(10000);

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
    Replacer replacer = TableReplacer(tables, 0);
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
    const Arguments arguments = ParseArguments(argc, argv);
    if (arguments.sink) {
        return RunSinkProcess(argc, argv, L"PelohookTableStressSink");
    }
    const double seconds = argc > 3 ? std::max(0.1, std::atof(argv[3])) : 3.0;

    Tables tables;
    Counts typed;
    const bool typingOk = TypeIntoSink(arguments.keys, arguments.rate, tables, typed) && typed.neither == 0;
    Counts converted;
    const bool convertOk = ConvertWhileReplacing(seconds, tables, converted);
    std::printf("%s\n", typingOk && convertOk ? "PASS" : "FAIL");
    return typingOk && convertOk ? 0 : 1;
}
