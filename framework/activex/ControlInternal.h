// What the files of the control base share among themselves.
#pragma once

namespace pelo::activex {

// Unregisters the control window class if this module registered it (library unload).
void UnregisterControlWindowClass() noexcept;

} // namespace pelo::activex
