// Creates the 37 keys of the keyboard window from their property streams and paints them 100
// times, then does the same with 37 plain push buttons, and prints both times and their ratio.
// The keys are hosted as a dialog hosts its controls: every key window a child of one window.
#include "TestSupport.h"

#include "PelokeyIds.h"
#include "Stopwatch.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace pelokey::test;
using pelo::bench::Seconds;
using pelo::bench::Ticks;

namespace {

constexpr int Keys = 37;
constexpr int Rounds = 100;

POINT Cell(int i)
{
    return POINT { 4 + (i % 10) * 36, 4 + (i / 10) * 36 };
}

void PaintAll(HWND host)
{
    for (int round = 0; round < Rounds; ++round) {
        ::RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::GdiFlush();
    }
}

struct Timing {
    double create = 0, paint = 0;
    [[nodiscard]] double total() const noexcept { return create + paint; }
};

Timing RunControls()
{
    const wchar_t* keys = L"1234567890QWERTYUIOPASDFGHJKLZXCVBNM";
    std::vector<std::vector<std::uint8_t>> streams;
    for (int i = 0; i < Keys - 1; ++i) {
        const wchar_t key[2] = { keys[i], 0 };
        streams.push_back(TemplateKeyStream(key, L"Enter", 0, 0, 1));
    }
    streams.push_back(TemplateKeyStream(L"Q", L"Shift", 0, 1, 2, 2619));

    const LONGLONG start = Ticks();
    pelo::UniqueHwnd host = CreateHostWindow();
    ::MoveWindow(host.get(), 0, 0, 400, 200, FALSE);
    std::vector<std::unique_ptr<FakeSite>> sites;
    std::vector<pelo::ComPtr<IOleObject>> controls;
    for (int i = 0; i < Keys; ++i) {
        const POINT at = Cell(i);
        const RECT pos { at.x, at.y, at.x + (i == Keys - 1 ? 99 : 33), at.y + 33 };
        sites.push_back(std::make_unique<FakeSite>(pos, host.get()));
        auto control = CreateControl().As<IOleObject>();
        auto stream = StreamOf(streams[static_cast<std::size_t>(i)]);
        if (!control || FAILED(control->SetClientSite(sites.back().get()))
            || FAILED(control.As<IPersistStreamInit>()->Load(stream.get()))
            || FAILED(control->DoVerb(
                OLEIVERB_INPLACEACTIVATE, nullptr, sites.back().get(), 0, host.get(), &pos))) {
            std::fprintf(stderr, "key %d could not be created\n", i);
            return {};
        }
        controls.push_back(control);
    }
    const LONGLONG created = Ticks();
    PaintAll(host.get());
    const LONGLONG end = Ticks();
    for (auto& control : controls) {
        control->Close(OLECLOSE_NOSAVE);
        control->SetClientSite(nullptr);
    }
    return Timing { Seconds(start, created), Seconds(created, end) };
}

Timing RunButtons()
{
    const LONGLONG start = Ticks();
    pelo::UniqueHwnd host = CreateHostWindow();
    ::MoveWindow(host.get(), 0, 0, 400, 200, FALSE);
    const wchar_t* keys = L"1234567890QWERTYUIOPASDFGHJKLZXCVBNM";
    for (int i = 0; i < Keys; ++i) {
        const POINT at = Cell(i);
        const wchar_t text[2] = { i < Keys - 1 ? keys[i] : L'S', 0 };
        ::CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, at.x, at.y,
            i == Keys - 1 ? 99 : 33, 33, host.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    const LONGLONG created = Ticks();
    PaintAll(host.get());
    const LONGLONG end = Ticks();
    return Timing { Seconds(start, created), Seconds(created, end) };
}

} // namespace

int main()
{
    if (FAILED(::OleInitialize(nullptr)) || !ControlLibrary()) {
        std::fprintf(stderr, "Pelokey.ocx must sit beside the benchmark\n");
        return 1;
    }
    // Best of several runs of each, alternating, so that a busy machine skews neither side.
    Timing controls { 1e9, 1e9 }, buttons { 1e9, 1e9 };
    for (int run = 0; run < 4; ++run) {
        const Timing c = RunControls();
        const Timing b = RunButtons();
        if (c.total() <= 0 || b.total() <= 0) {
            return 1;
        }
        if (run == 0) {
            continue; // warms font and class caches
        }
        controls = c.total() < controls.total() ? c : controls;
        buttons = b.total() < buttons.total() ? b : buttons;
    }
    std::printf("%d keys from streams:   create %.3f s, %d paints %.3f s, total %.3f s\n", Keys,
        controls.create, Rounds, controls.paint, controls.total());
    std::printf("%d push buttons:        create %.3f s, %d paints %.3f s, total %.3f s\n", Keys,
        buttons.create, Rounds, buttons.paint, buttons.total());
    std::printf("ratio keys/buttons: %.2f (goal <= 3)\n", controls.total() / buttons.total());
    ::OleUninitialize();
    return 0;
}
