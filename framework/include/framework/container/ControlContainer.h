// The ActiveX controls of one dialog: created by class identifier as direct children of the
// dialog with their template id, order and rectangle, loaded from their persisted state,
// activated in place (never UI-activated by the container), given a site with ambient
// properties, and their default event interface connected to a callback.
#pragma once

#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/container/DialogTemplate.h"

namespace pelo::container {

// A library that serves clsid when the class is not registered with COM (a standard user cannot
// register classes, and a registration started at the same time may not have finished). A name
// without a folder is taken from the current directory, never searched for. The library, once
// loaded, stays loaded for the rest of the process. Call from the thread that creates dialogs.
void SetFallbackLibrary(const CLSID& clsid, const wchar_t* fileName);
// Creates an object of clsid: COM first, then the class object of the fallback library.
HRESULT CreateControlObject(const CLSID& clsid, ComPtr<IUnknown>& object) noexcept;

// The records of the dialog-initialisation resource (type 240) named like the dialog; none when
// the module has no such resource. False when the resource is malformed.
bool LoadDialogInit(HINSTANCE module, const wchar_t* name, std::vector<InitRecord>& records) noexcept;

// Called for each event a control fires: the control's id, the event's dispatch id, its arguments.
using EventCallback = std::function<void(int id, DISPID dispid, DISPPARAMS* params)>;

class ControlSite;

class ControlContainer {
public:
    ControlContainer() noexcept;
    ControlContainer(const ControlContainer&) = delete;
    ControlContainer& operator=(const ControlContainer&) = delete;
    ~ControlContainer();

    // Creates the controls in template order, each placed after the window before it in the
    // template (the dialog's ordinary children must be the template's ordinary items, in order).
    // Stops at the first control that cannot be created, loaded or activated and returns its
    // failure; the controls made so far stay until Destroy.
    HRESULT Create(HWND dialog, const std::vector<TemplateControl>& controls,
        const std::vector<InitRecord>& records, EventCallback onEvent) noexcept;
    // Closes every control (OLECLOSE_NOSAVE), takes its site away and releases it, in creation order.
    void Destroy() noexcept;

    // A control's dispatch interface by its id (no new reference), or nullptr.
    [[nodiscard]] IDispatch* Dispatch(int id) const noexcept;
    [[nodiscard]] IUnknown* Control(int id) const noexcept;
    [[nodiscard]] std::size_t Count() const noexcept { return m_sites.size(); }

private:
    std::vector<ComPtr<ControlSite>> m_sites;
};

} // namespace pelo::container
