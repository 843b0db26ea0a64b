// The five scheme slots: each slot's key-map file and default name, the scheme name table, and
// the slot check that makes sure every slot has a readable key-map file.
#pragma once

#include "scheme/KeyMapFangAn.h"

constexpr int FANGAN_SLOT_COUNT = 5;

// Entry n - 1 names slot n: at most 20 units and a terminating zero.
using FangAnNameTable = char16_t[FANGAN_SLOT_COUNT][FANGAN_NAME_UNITS + 1];

struct FangAnSlot {
    const wchar_t* szPath; // relative to the working directory
    const char16_t* szDefaultName;
};

// Slot n is kFangAnSlots[n - 1]: ".\fangan\1.kmf" "方案一" to ".\fangan\5.kmf" "方案五".
extern const FangAnSlot kFangAnSlots[FANGAN_SLOT_COUNT];

// The slot numbered 1 to 5, or null for any other number.
const FangAnSlot* FangAnSlotOf(int nSlot);

// Reads every slot file's name into the table. A slot file that is missing, or ends before its
// name line does (an empty file, for one), is replaced by the default scheme under the slot's
// default name. A slot file that is there but cannot be read (held by another program, access
// denied, a folder of that name) is kept as it is and its slot shows the default name. The hook
// library's table is not touched.
void CheckFangAnFiles(FangAnNameTable& names);
