// The key button's property page: six of the control's properties as edit fields.
#pragma once

#include <windows.h>

HRESULT CreatePelokeyPropPage(REFIID riid, void** ppv);
