// Names of programs laid out as the hook library's list of excluded programs takes them: one slot
// of pelo::hook::kExcludedNameUnits units each, the rest of each slot zero. Used by the native
// tests of the list, the tests of the library, the hook benchmark and the hook stress run.
#pragma once

#include "hook/ExcludedPrograms.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace pelo::hooktest {

template <typename Unit> std::vector<Unit> ExcludedSlots(const std::vector<std::basic_string<Unit>>& names)
{
    std::vector<Unit> slots(names.size() * hook::kExcludedNameUnits, Unit {});
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::copy(names[i].begin(), names[i].end(),
            slots.begin() + static_cast<std::ptrdiff_t>(i * hook::kExcludedNameUnits));
    }
    return slots;
}

} // namespace pelo::hooktest
