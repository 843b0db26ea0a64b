// The key button control library's entry points: module state and the class objects of the
// control and its property page.
#include "PelokeyCtrl.h"
#include "PelokeyIds.h"
#include "framework/activex/ControlBase.h"
#include "framework/com/ClassFactory.h"
#include "framework/com/Module.h"
#include "proppage/PelokeyPropPage.h"

namespace {
const pelo::com::ClassEntry ClassTable[] = {
    { &pelokey::CLSID_Pelokey, &CPelokeyCtrl::CreateInstance },
    { &pelokey::CLSID_PelokeyPropPage, &CreatePelokeyPropPage },
};
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        pelo::com::SetModuleInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary, not at process exit: other libraries are still usable.
        pelo::activex::ReleaseModuleResources();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    return pelo::com::GetClassObject(
        ClassTable, sizeof(ClassTable) / sizeof(ClassTable[0]), clsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return pelo::com::CanUnloadNow();
}
