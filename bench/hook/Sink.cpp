// Benchmark sink: counts its characters and signals "done" when the driver's target is reached.
// Usage: PelohookBenchSink.exe <object name base>
#include "BenchShared.h"
#include "Stopwatch.h"
#include "TypingSink.h"

using namespace pelo::hookbench;

namespace {

void OnChar(SinkState& state, HANDLE done, wchar_t ch)
{
    if (++state.chars == state.target) {
        state.doneAt = pelo::bench::Ticks();
        state.lastChar = static_cast<UINT>(ch);
        ::SetEvent(done);
    }
}

} // namespace

int main(int argc, char** argv)
{
    return pelo::typingsink::RunSink<SinkState, &OnChar>(argc, argv, "done", L"PelohookBenchSink");
}
