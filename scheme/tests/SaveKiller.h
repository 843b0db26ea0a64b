// Ends the save loop helper (scheme_save_loop.exe, which saves two schemes into slot 1's key-map
// file by turns) at a chosen moment and reports what the file holds then. Used by the save-kill
// test and by the save-kill stress run.
#pragma once

#include <cstddef>
#include <string>

#include "Utf16Bytes.h"

namespace schemetest {

enum class KillOutcome { FirstScheme, SecondScheme, Neither };

struct KilledSave {
    std::string failure; // empty unless the helper could not be started, stopped or waited for
    KillOutcome outcome = KillOutcome::Neither;
    size_t fileBytes = 0; // size of what slot 1's key-map file holds after the kill
};

// The two schemes' files, as the helper saves them.
Bytes SaveLoopFile(int scheme);

// Starts helperPath in the current directory, waits until it has saved both schemes once, lets
// it save on for delayMicroseconds, ends it with TerminateProcess and reads ".\fangan\1.kmf".
KilledSave KillSaveLoop(const std::wstring& helperPath, unsigned delayMicroseconds);

// The helper beside this program.
std::wstring SaveLoopHelperBesideThisProgram();

} // namespace schemetest
