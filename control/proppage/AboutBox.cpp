#include "AboutBox.h"

#include "PropPageIds.h"
#include "framework/com/Module.h"
#include "framework/dialog/Dialog.h"

void ShowPelokeyAboutBox()
{
    pelo::dialog::Dialog about(pelo::com::ModuleInstance(), IDD_ABOUTBOX_PELOKEY);
    about.DoModal(nullptr);
}
