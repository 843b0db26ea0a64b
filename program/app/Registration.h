// Registration of the key button library with the system's registration tool, started hidden
// at start and at exit and not waited for.
#pragma once

#include <string>

namespace pelo::program {

// regsvr32.exe /s "<dir>\Pelokey.ocx", or with /u to remove it. The path stands in quotes in
// both, so a folder with a blank works for the removal too.
std::wstring RegistrationCommand(const std::wstring& currentDirectory, bool unregister);

// Starts the command for the current directory through the wide-character process API, so a
// folder name outside the system code page works; hidden, result not looked at. It is waited for
// up to waitMs milliseconds (0: not at all).
void StartRegistration(bool unregister, unsigned long waitMs = 0);

// Starts the removal once per run, whoever asks first: the exit, or the end of the session, which
// waits for it because the process may be ended as soon as it has answered.
void RemoveRegistrationOnce(unsigned long waitMs);

} // namespace pelo::program
