// Time measured with the performance counter, and the median of measurements: what the
// benchmarks and the stress runs report.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace pelo::bench {

// The performance counter, in its own ticks (comparable between processes).
inline LONGLONG Ticks() noexcept
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Seconds from one reading of Ticks to a later one.
inline double Seconds(LONGLONG from, LONGLONG to) noexcept
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

// The time since it was made.
class Stopwatch {
public:
    Stopwatch() noexcept
        : m_start(Ticks())
    {
    }
    [[nodiscard]] double Seconds() const noexcept { return bench::Seconds(m_start, Ticks()); }
    [[nodiscard]] double Milliseconds() const noexcept { return 1000.0 * Seconds(); }

private:
    LONGLONG m_start;
};

// The middle value, or the mean of the two middle values of an even count; 0 for none.
inline double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace pelo::bench
