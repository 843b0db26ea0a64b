// The programs in which the hook converts no keys: a bounded list of program file names in the
// data section that every process mapping the hook library shares. The program writes it; the
// hook procedure of every process reads it, so the reader trusts nothing it finds there: it bounds
// every name to its slot and counts a count outside 0..kExcludedMax as 0. No <windows.h> and no
// runtime calls, so that the hook library and the native tests use the very same code.
#pragma once

namespace pelo::hook {

inline constexpr int kExcludedMax = 16;
inline constexpr int kExcludedNameUnits = 64; // up to 63 units and the terminator
inline constexpr int kOwnPathUnits = 1024; // a longer path of this process leaves its name unknown

// Unit is the platform's 16-bit character type (wchar_t in the library, char16_t in native tests).
template <typename Unit> struct ExcludedPrograms {
    int count; // names in use
    unsigned generation; // +2 with each change; odd while a change is being written
    Unit names[kExcludedMax][kExcludedNameUnits];
};

// Simple case folding of Basic Latin, Latin-1 and Latin Extended-A, the letters of most program
// file names: capitals become small letters. The Turkish dotted capital I and dotless small i
// fold to nothing else, as both have no pair of their own there.
constexpr unsigned FoldCase(unsigned u)
{
    if (u >= 'A' && u <= 'Z') {
        return u + 0x20;
    }
    if (u >= 0xC0 && u <= 0xDE) {
        return u == 0xD7 ? u : u + 0x20; // 0xD7 is the multiplication sign
    }
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) {
        return u | 1; // pairs with the capital at the even code
    }
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return (u & 1) != 0 ? u + 1 : u; // pairs with the capital at the odd code
    }
    if (u == 0x178) {
        return 0xFF; // Y with diaeresis
    }
    return u;
}

// Where the file name begins in a path of `length` units: after its last '\', '/' or ':'.
template <typename Unit> constexpr int FileNameStart(const Unit* path, int length)
{
    int start = 0;
    for (int i = 0; i < length; ++i) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
            start = i + 1;
        }
    }
    return start;
}

// The name in a slot of kExcludedNameUnits units equals name[0, length), ignoring case. Nothing
// past the slot is read; a slot without a terminator matches nothing, and neither does an empty name.
template <typename Unit> constexpr bool SameName(const Unit* slot, const Unit* name, int length)
{
    if (length <= 0 || length >= kExcludedNameUnits) {
        return false;
    }
    for (int i = 0; i < length; ++i) {
        if (slot[i] == 0 || FoldCase(slot[i]) != FoldCase(name[i])) {
            return false;
        }
    }
    return slot[length] == 0;
}

// The list names the file name name[0, length). A count outside 0..kExcludedMax names nothing.
template <typename Unit>
constexpr bool ListsName(const ExcludedPrograms<Unit>& list, int count, const Unit* name, int length)
{
    if (count < 0 || count > kExcludedMax) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (SameName(list.names[i], name, length)) {
            return true;
        }
    }
    return false;
}

// Replaces the list with `count` names, each in a slot of kExcludedNameUnits units and terminated
// within it, and moves the generation on. Refuses, changing nothing, a count outside
// 0..kExcludedMax, no names for a nonzero count, or a name with no terminator in its slot.
// The generation is odd while the names change, so that no reader keeps an answer from a list
// half written. One writer at a time: the program's thread.
template <typename Unit>
bool WriteExcludedPrograms(ExcludedPrograms<Unit>& list, const Unit* names, int count)
{
    if (count < 0 || count > kExcludedMax || (count > 0 && names == nullptr)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const Unit* slot = names + i * kExcludedNameUnits;
        int length = 0;
        while (length < kExcludedNameUnits && slot[length] != 0) {
            ++length;
        }
        if (length == kExcludedNameUnits) {
            return false;
        }
    }
    const unsigned writing = (__atomic_load_n(&list.generation, __ATOMIC_RELAXED) + 1) | 1u;
    __atomic_store_n(&list.generation, writing, __ATOMIC_RELAXED);
    __atomic_thread_fence(__ATOMIC_RELEASE);
    for (int i = 0; i < kExcludedMax; ++i) {
        bool ended = i >= count;
        for (int j = 0; j < kExcludedNameUnits; ++j) {
            const Unit unit = ended ? Unit {} : names[i * kExcludedNameUnits + j];
            ended = ended || unit == 0;
            __atomic_store_n(&list.names[i][j], unit, __ATOMIC_RELAXED);
        }
    }
    __atomic_store_n(&list.count, count, __ATOMIC_RELAXED);
    __atomic_store_n(&list.generation, writing + 1, __ATOMIC_RELEASE);
    return true;
}

// One process's answer to "does the list name me?", kept in that process's own memory and asked
// again only when the list's generation moves on. Constant-initialised as made: the empty list of
// generation 0 does not name the process, and no generation is known to name it.
struct ProcessExclusion {
    unsigned convertGeneration = 0; // the list of this generation does not name this process
    unsigned excludedGeneration = 1; // the list of this generation names it (odd: none)

    // OwnPath: int operator()(Unit* path, int capacity), this process's program file path and its
    // length in units, 0 when unknown; it is asked only when the generation moved on. In any
    // process the list does not name, a key costs the one comparison of the generation.
    template <typename Unit, typename OwnPath>
    bool Excluded(const ExcludedPrograms<Unit>& list, OwnPath& ownPath)
    {
        if (__atomic_load_n(&list.generation, __ATOMIC_RELAXED)
            == __atomic_load_n(&convertGeneration, __ATOMIC_RELAXED)) {
            return false;
        }
        return Recheck(list, ownPath);
    }

private:
    // Several threads of the process may ask at once; each stores only an answer that holds for
    // the generation it stores it with.
    template <typename Unit, typename OwnPath>
    [[gnu::noinline]] bool Recheck(const ExcludedPrograms<Unit>& list, OwnPath& ownPath)
    {
        const unsigned before = __atomic_load_n(&list.generation, __ATOMIC_ACQUIRE);
        if (before == __atomic_load_n(&excludedGeneration, __ATOMIC_RELAXED)) {
            return true;
        }
        Unit path[kOwnPathUnits];
        int length = ownPath(path, kOwnPathUnits);
        if (length < 0 || length >= kOwnPathUnits) {
            length = 0;
        }
        const int start = FileNameStart(path, length);
        const bool excluded
            = ListsName(list, __atomic_load_n(&list.count, __ATOMIC_RELAXED), path + start, length - start);
        __atomic_thread_fence(__ATOMIC_ACQUIRE);
        // A list changed meanwhile, or still being written, gives an answer for this key only.
        if ((before & 1u) == 0 && __atomic_load_n(&list.generation, __ATOMIC_RELAXED) == before) {
            __atomic_store_n(excluded ? &excludedGeneration : &convertGeneration, before, __ATOMIC_RELAXED);
        }
        return excluded;
    }
};

} // namespace pelo::hook
