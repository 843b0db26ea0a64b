// What the files of the dialog layer share among themselves.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/container/ControlContainer.h"
#include "framework/container/DialogTemplate.h"
#include "framework/dialog/Dialog.h"

namespace pelo::dialog {

// What creation hands to WM_INITDIALOG: the template without its ActiveX controls, and those
// controls with their persisted state.
struct Dialog::Creation {
    container::PreparedTemplate prepared;
    std::vector<container::InitRecord> records;
};

// The module's dialog template resource as it stands in memory; nullptr when there is none.
const void* FindDialogTemplate(HINSTANCE module, UINT templateId, DWORD& size) noexcept;

} // namespace pelo::dialog
