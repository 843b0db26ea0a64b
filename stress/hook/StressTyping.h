// What the hook stress programs share: the sink that stores every character it receives in memory
// shared with the driver, the keys typed into it in batches, and the thread that replaces what the
// hook library holds at a given rate while the keys go in.
#pragma once

#include "hook/Pelohook.h"

#include "Stopwatch.h"
#include "TypingSink.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pelo::hookstress {

// The keys typed, in the order of the hook library's key indices.
inline constexpr char kKeys[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The memory shared with the sink: this header, then `capacity` characters.
struct SinkState {
    volatile LONG received; // characters stored so far
    LONG capacity;
    UINT64 hwnd;

    wchar_t* chars() { return reinterpret_cast<wchar_t*>(this + 1); }
};

// The sink stores every character it receives.
inline void StoreChar(SinkState& state, HANDLE, wchar_t ch)
{
    const LONG index = state.received;
    if (index < state.capacity) {
        state.chars()[index] = ch;
        ::InterlockedExchange(&state.received, index + 1);
    }
}

// The program's command line: started as the sink with "--sink <object name base>", else the keys
// to type and the replacements a second.
struct Arguments {
    bool sink = false;
    long keys = 100000;
    int rate = 1000;
};
inline Arguments ParseArguments(int argc, char** argv)
{
    Arguments arguments;
    arguments.sink = argc > 1 && std::strcmp(argv[1], "--sink") == 0;
    if (!arguments.sink) {
        arguments.keys = argc > 1 ? std::max(1L, std::atol(argv[1])) : arguments.keys;
        arguments.rate = argc > 2 ? std::max(1, std::atoi(argv[2])) : arguments.rate;
    }
    return arguments;
}

// The sink's side, for a program started with "--sink <object name base>": its exit status.
inline int RunSinkProcess(int argc, char** argv, const wchar_t* className)
{
    return typingsink::RunSink<SinkState, &StoreChar>(argc - 1, argv + 1, "unused", className);
}

// Says what went wrong, with the last error, on behalf of the program; false.
inline bool Failed(const char* program, const char* what)
{
    std::fprintf(stderr, "%s: %s (error %lu)\n", program, what, ::GetLastError());
    return false;
}

// The file name of this program, without its folder.
inline std::wstring OwnFileName()
{
    wchar_t exe[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path(exe, n);
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// The driver's side of the sink: this program again, started with "--sink" and memory for
// `capacity` characters, and the keys typed into it.
class Sink {
public:
    // Starts the sink; nullptr once its window is up, else what went wrong.
    const char* Start(const char* program, long capacity)
    {
        const std::string base = std::string(program) + "." + std::to_string(::GetCurrentProcessId());
        const size_t size = sizeof(SinkState) + sizeof(wchar_t) * static_cast<size_t>(capacity);
        if (!crossprocess::CreateSharedObjects(base, size, "state", "unused", m_shared)) {
            return "cannot create the shared objects";
        }
        m_state = m_shared.As<SinkState>();
        m_state->capacity = capacity;
        const std::wstring self = OwnFileName();
        return m_process.Start(std::string(self.begin(), self.end()).c_str(), "--sink " + base,
            m_shared.ready.get(), m_state->hwnd);
    }

    // Installs the keyboard hook and gives the sink the focus; nullptr, else what went wrong.
    const char* HookAndActivate(CKeyboardHook& hook) const
    {
        if (hook.StartHook() != 1) {
            return "cannot install the hook";
        }
        if (!m_process.Activate()) {
            return "the sink could not take the focus";
        }
        return nullptr;
    }

    [[nodiscard]] SinkState& State() const { return *m_state; }
    [[nodiscard]] typingsink::SinkProcess& Process() { return m_process; }

    // Types key presses first..last-1 (key i % KEY_COUNT, with Shift held for those `shifted` takes)
    // in batches and waits for each batch's characters; false when they did not all come.
    bool Type(long first, long last, bool (*shifted)(long) = nullptr) const
    {
        constexpr long kBatch = 200;
        for (long from = first; from < last; from += kBatch) {
            const long to = std::min(last, from + kBatch);
            std::vector<INPUT> inputs;
            for (long i = from; i < to; ++i) {
                const WORD vk = static_cast<WORD>(kKeys[i % KEY_COUNT]);
                const bool shift = shifted && shifted(i);
                if (shift) {
                    inputs.push_back(typingsink::KeyInput(VK_SHIFT, false));
                }
                inputs.push_back(typingsink::KeyInput(vk, false));
                inputs.push_back(typingsink::KeyInput(vk, true));
                if (shift) {
                    inputs.push_back(typingsink::KeyInput(VK_SHIFT, true));
                }
            }
            ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
            // Every key-down gives one character; wait for the batch before sending the next.
            const bench::Stopwatch batch;
            while (m_state->received < to) {
                if (batch.Seconds() > 20 || !m_process.Running()) {
                    return false;
                }
                ::Sleep(1);
            }
        }
        return true;
    }

private:
    crossprocess::SharedObjects m_shared;
    SinkState* m_state = nullptr;
    typingsink::SinkProcess m_process;
};

// Calls replace(n) for n = 0, 1, 2 ... on a thread of its own, `rate` times a second on average (0:
// without pause), until told to stop; counts the replacements that replace refuses (answers false).
class Replacer {
public:
    Replacer(std::function<bool(long long n)> replace, int rate)
        : m_replace(std::move(replace))
        , m_thread([this, rate] { Run(rate); })
    {
    }
    ~Replacer() { Stop(); }
    Replacer(const Replacer&) = delete;
    Replacer& operator=(const Replacer&) = delete;

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
    void Run(int rate)
    {
        const bench::Stopwatch running;
        while (!m_stop) {
            const double elapsed = running.Seconds();
            const long long due = rate > 0 ? static_cast<long long>(elapsed * rate) : m_count + 1;
            while (m_count < due && !m_stop) {
                m_refused += m_replace(m_count) ? 0 : 1;
                ++m_count;
            }
            if (rate > 0) {
                ::Sleep(1);
            }
        }
        m_seconds = running.Seconds();
    }

    const std::function<bool(long long)> m_replace;
    std::atomic<bool> m_stop { false };
    long long m_count = 0;
    long long m_refused = 0;
    double m_seconds = 0;
    std::thread m_thread;
};

} // namespace pelo::hookstress
