// Dialogs from template resources: the object owns its window and is bound to it from the
// window's first message; handlers and data exchange are declared as tables of rows that name a
// member function or member variable of the derived class, so the compiler checks every row.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <climits>
#include <cstddef>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "framework/UniqueHandle.h"
#include "framework/window/Window.h"

namespace pelo::container {
class ControlContainer;
}

namespace pelo::dialog {

class Dialog;

// One run of data exchange in one direction. Saving takes the controls' text into the members
// and validates; otherwise the members are put into the controls.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saving) noexcept
        : m_dialog(dialog)
        , m_saving(saving)
    {
    }
    [[nodiscard]] bool Saving() const noexcept { return m_saving; }
    [[nodiscard]] bool Failed() const noexcept { return m_failed; }
    [[nodiscard]] HWND Control(int id) const noexcept;
    // Shows the framework's validation warning, focuses the control and stops the exchange.
    void Fail(int id, const std::wstring& message);
    // The dialog's wording of the warning for a text longer than maxChars.
    [[nodiscard]] std::wstring TooLongMessage(int maxChars) const;

private:
    Dialog& m_dialog;
    bool m_saving;
    bool m_failed = false;
};

// Every message box raised by the framework and the dialogs built on it goes through here, so
// tests can put a recorder in place of the system's box.
using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
// Returns the function that was in place; nullptr restores the system's MessageBoxW.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) noexcept;

// Validation warnings; the wording is the framework's own.
std::wstring IntegerExpectedMessage();
std::wstring IntegerRangeMessage(long long minValue, long long maxValue);
std::wstring MaxCharsMessage(int maxChars);

// Parses a decimal integer with optional sign and surrounding blanks; false for anything else or
// a value outside [minValue, maxValue] of the target type.
bool ParseInteger(
    const std::wstring& text, long long minValue, long long maxValue, long long& value) noexcept;

// The module's file name without folder and extension: the caption of messages from a window
// without a caption of its own.
std::wstring ModuleName(HMODULE module);

std::wstring ControlText(HWND control);
// Sets the text only when it differs, so an unchanged field sends no change notification.
void SetControlText(HWND control, const std::wstring& text);

using FieldValue = std::variant<int, short, std::wstring>;

// A data exchange row: control id <-> member, with the checks of its kind. `property` names the
// property a property page links the field to (nullptr for plain dialogs).
template <class D> class ExchangeRow {
public:
    static ExchangeRow Int(int id, int D::*member, const wchar_t* property = nullptr)
    {
        ExchangeRow r(id, property);
        r.m_int = member;
        return r;
    }
    static ExchangeRow Short(
        int id, short D::*member, short minValue, short maxValue, const wchar_t* property = nullptr)
    {
        ExchangeRow r(id, property);
        r.m_short = member;
        r.m_min = minValue;
        r.m_max = maxValue;
        return r;
    }
    static ExchangeRow Text(int id, std::wstring D::*member, int maxChars, const wchar_t* property = nullptr)
    {
        ExchangeRow r(id, property);
        r.m_text = member;
        r.m_maxChars = maxChars;
        return r;
    }

    [[nodiscard]] int ControlId() const noexcept { return m_id; }
    [[nodiscard]] const wchar_t* Property() const noexcept { return m_property; }

    [[nodiscard]] FieldValue Get(const D& self) const
    {
        if (m_int) {
            return self.*m_int;
        }
        if (m_short) {
            return self.*m_short;
        }
        return self.*m_text;
    }
    // Stores a value of the row's own kind (others are ignored).
    void Set(D& self, const FieldValue& value) const
    {
        if (m_int && std::holds_alternative<int>(value)) {
            self.*m_int = std::get<int>(value);
        } else if (m_short && std::holds_alternative<short>(value)) {
            self.*m_short = std::get<short>(value);
        } else if (m_text && std::holds_alternative<std::wstring>(value)) {
            self.*m_text = std::get<std::wstring>(value);
        }
    }

    void Apply(D& self, DataExchange& dx) const
    {
        const HWND control = dx.Control(m_id);
        if (!dx.Saving()) {
            if (m_int) {
                SetControlText(control, std::to_wstring(self.*m_int));
            } else if (m_short) {
                SetControlText(control, std::to_wstring(self.*m_short));
            } else {
                ::SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(m_maxChars), 0);
                SetControlText(control, self.*m_text);
            }
            return;
        }
        const std::wstring text = ControlText(control);
        long long value = 0;
        if (m_int) {
            if (!ParseInteger(text, INT_MIN, INT_MAX, value)) {
                dx.Fail(m_id, IntegerExpectedMessage());
                return;
            }
            self.*m_int = static_cast<int>(value);
        } else if (m_short) {
            if (!ParseInteger(text, SHRT_MIN, SHRT_MAX, value)) {
                dx.Fail(m_id, IntegerExpectedMessage());
                return;
            }
            // The parsed value is kept even when it is out of range, as handlers read it.
            self.*m_short = static_cast<short>(value);
            if (value < m_min || value > m_max) {
                dx.Fail(m_id, IntegerRangeMessage(m_min, m_max));
            }
        } else {
            self.*m_text = text;
            if (static_cast<int>(text.size()) > m_maxChars) {
                dx.Fail(m_id, dx.TooLongMessage(m_maxChars));
            }
        }
    }

private:
    ExchangeRow(int id, const wchar_t* property)
        : m_id(id)
        , m_property(property)
    {
    }
    int m_id;
    const wchar_t* m_property;
    int D::*m_int = nullptr;
    short D::*m_short = nullptr;
    std::wstring D::*m_text = nullptr;
    short m_min = 0, m_max = 0;
    int m_maxChars = 0;
};

// Handler rows and tables are the window layer's (see framework/window/Handlers.h): message,
// command, notify, registered-message, command-range, command-state and control-event rows.
using window::CommandRangeRow;
using window::CommandRow;
using window::CommandState;
using window::CommandStateRow;
using window::EventRow;
using window::HandlerTable;
using window::MessageRow;
using window::NotifyRow;
using window::RegisteredMessageRow;

// A dialog from a template resource. The object is bound to its window at the window's first
// message, before WM_INITDIALOG; the template's ActiveX controls are created, loaded and
// activated before OnInitDialog runs, and closed when the window is destroyed.
class Dialog : public window::Window {
public:
    Dialog(HINSTANCE module, UINT templateId) noexcept;
    ~Dialog() override;

    // Runs the dialog in a modal loop of its own: the owner (parent's top-level window, or the
    // application's main window when there is no parent) is disabled meanwhile. Returns the
    // EndDialog result, or -1 when the dialog cannot be created (template missing, or an ActiveX
    // control that cannot be created: OnInitDialog has not run then). A WM_QUIT ends the loop
    // with IDCANCEL and is posted again.
    INT_PTR DoModal(HWND parent = nullptr) noexcept;
    // Creates the dialog modelessly (a child when the template says WS_CHILD); the object owns it.
    bool Create(HWND parent) noexcept;

    [[nodiscard]] HINSTANCE Module() const noexcept { return m_module; }
    [[nodiscard]] UINT TemplateId() const noexcept { return m_templateId; }
    [[nodiscard]] HWND Item(int id) const noexcept { return ::GetDlgItem(Hwnd(), id); }
    // The dispatch interface of the ActiveX control with this id (no new reference), or nullptr.
    [[nodiscard]] IDispatch* ControlDispatch(int id) const noexcept;

    // Runs DoDataExchange in one direction; false when validation stopped it.
    bool UpdateData(bool saveAndValidate);
    [[nodiscard]] bool InExchange() const noexcept { return m_exchanging; }
    // Ends a modal run with result (the loop returns it), or destroys a modeless dialog.
    void EndDialog(INT_PTR result) noexcept;

    // Caption of the framework's validation warnings.
    [[nodiscard]] virtual std::wstring MessageCaption() const;
    // The warning for a text longer than its field allows; a dialog may word it its own way.
    [[nodiscard]] virtual std::wstring TooLongMessage(int maxChars) const
    {
        return MaxCharsMessage(maxChars);
    }

    // Linked fields, as described by the derived class's exchange rows.
    [[nodiscard]] virtual std::size_t FieldCount() const { return 0; }
    [[nodiscard]] virtual int FieldControl(std::size_t) const { return 0; }
    [[nodiscard]] virtual const wchar_t* FieldProperty(std::size_t) const { return nullptr; }
    [[nodiscard]] virtual FieldValue GetField(std::size_t) const { return 0; }
    virtual void SetField(std::size_t, const FieldValue&) { }

    // The window class of dialogs created through this layer: the system's dialog class.
    static constexpr const wchar_t* WindowClassName = L"#32770";

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) { }
    virtual void OnOK();
    virtual void OnCancel();
    // Sees every WM_COMMAND before the tables; true swallows it.
    virtual bool FilterCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // An event fired by a hosted ActiveX control; true when a row handled it.
    virtual bool DispatchEvent(int /*id*/, DISPID /*dispid*/) { return false; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The dialog's keyboard interface (IsDialogMessage) for messages to it and its children.
    bool PreTranslateMessage(MSG& msg) override;
    void OnFinalMessage() override;

private:
    struct Creation;
    // Hands the dialog window to its object as it is created (a thread's CBT hook).
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    // The dialog window's procedure from then on; the class's own runs as the default.
    static LRESULT CALLBACK ClassProc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    // Loads and prepares the template, creates the window and its controls; nullptr on failure.
    HWND CreateFromTemplate(HWND owner) noexcept;
    INT_PTR RunModalLoop(HWND hwnd) noexcept;
    LRESULT OnInitDialogMessage();

    HINSTANCE m_module;
    UINT m_templateId;
    std::unique_ptr<Creation> m_creation; // between CreateFromTemplate and WM_INITDIALOG
    std::unique_ptr<container::ControlContainer> m_controls;
    WNDPROC m_classProc = nullptr;
    bool m_controlsFailed = false;
    bool m_modal = false;
    bool m_ended = false;
    INT_PTR m_result = 0;
    bool m_exchanging = false;
};

// Binds the derived class D's tables: D provides `static const HandlerTable<D>& Handlers()` and
// `static const std::vector<ExchangeRow<D>>& ExchangeRows()`. Base lets a specialised dialog
// (such as a property page) sit between Dialog and D.
template <class D, class Base = Dialog> class DialogT : public window::WindowT<D, Base> {
public:
    using window::WindowT<D, Base>::WindowT;

    std::size_t FieldCount() const override { return D::ExchangeRows().size(); }
    int FieldControl(std::size_t i) const override { return D::ExchangeRows().at(i).ControlId(); }
    const wchar_t* FieldProperty(std::size_t i) const override { return D::ExchangeRows().at(i).Property(); }
    FieldValue GetField(std::size_t i) const override
    {
        return D::ExchangeRows().at(i).Get(static_cast<const D&>(*this));
    }
    void SetField(std::size_t i, const FieldValue& v) override
    {
        D::ExchangeRows().at(i).Set(static_cast<D&>(*this), v);
    }

protected:
    void DoDataExchange(DataExchange& dx) override
    {
        for (const ExchangeRow<D>& row : D::ExchangeRows()) {
            row.Apply(static_cast<D&>(*this), dx);
            if (dx.Failed()) {
                return;
            }
        }
    }
    bool DispatchEvent(int id, DISPID dispid) override
    {
        for (const EventRow<D>& row : D::Handlers().events) {
            if (row.id == id && row.dispid == dispid) {
                (static_cast<D&>(*this).*row.handler)();
                return true;
            }
        }
        return false;
    }
};

// The size of a dialog template in dialog units and its font, read from the resource.
struct TemplateInfo {
    bool child = false;
    int cx = 0, cy = 0;
    int pointSize = 0;
    std::wstring faceName;
};
bool ReadDialogTemplate(HINSTANCE module, UINT templateId, TemplateInfo& info);
// The template's size in pixels, measured with its own font as the dialog manager does.
bool DialogTemplatePixelSize(HINSTANCE module, UINT templateId, SIZE& size);

} // namespace pelo::dialog
