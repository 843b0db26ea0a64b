// A second copy of the program, as far as the hook library sees it: loads Pelohook.dll, holds one
// CKeyboardHook and starts or stops it on command; the exit command returns from main, so the
// object's destructor runs as at a program's exit. Usage: PelohookOwner.exe <object name base>
#include "hook/Pelohook.h"

#include "CrossProcess.h"
#include "HookOwner.h"

using namespace pelo::crossprocess;
using namespace pelo::hooktest;

int main(int argc, char** argv)
{
    SharedObjects shared;
    OwnerControl* control = OpenSharedFromArgs<OwnerControl>(argc, argv, "control", "command", shared);
    if (!control) {
        return 3;
    }
    CKeyboardHook hook;
    ::SetEvent(shared.ready.get());
    const HANDLE command = shared.signal.get();
    for (;;) {
        // A thread that installed a hook keeps answering messages while it waits.
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &command, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::DispatchMessageW(&msg);
            }
            continue;
        }
        if (woken != WAIT_OBJECT_0) {
            return 4;
        }
        switch (control->command) {
        case kOwnerStartHook:
            control->result = hook.StartHook();
            break;
        case kOwnerStopHook:
            control->result = hook.StopHook();
            break;
        case kOwnerExit:
            return 0;
        default:
            control->result = -1;
            break;
        }
        ::SetEvent(shared.ready.get());
    }
}
