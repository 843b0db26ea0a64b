// Registration of the key button library for other hosts while the program runs. The program's
// own key buttons need none: its manifest declares the class. Both steps call the library's own
// self-registration in this process, and their results are not looked at.
#pragma once

#include <string>

namespace pelo::program {

// "<dir>\Pelokey.ocx" for the current directory as GetCurrentDirectoryW gives it (a drive's root
// already ends in a backslash).
std::wstring KeyLibraryPath(const std::wstring& currentDirectory);

// Registers the library once the main window is shown and the queue has run empty, so that the
// registration never delays the window; nothing happens if the removal has begun by then.
void RegisterOnceShown();

// Removes the registration once per run, whoever asks first: the exit, or the end of the session.
void RemoveRegistrationOnce();

} // namespace pelo::program
