// Sets a flag for a scope and puts back what it held.
#pragma once

#include <utility>

namespace pelo {

class FlagScope {
public:
    explicit FlagScope(bool& flag) noexcept
        : m_flag(flag)
        , m_was(std::exchange(flag, true))
    {
    }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { m_flag = m_was; }

private:
    bool& m_flag;
    bool m_was;
};

} // namespace pelo
