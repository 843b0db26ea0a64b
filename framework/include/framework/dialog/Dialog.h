// Dialogs from template resources: the object owns its window and is bound to it on
// WM_INITDIALOG; handlers and data exchange are declared as tables of rows that name a member
// function or member variable of the derived class, so the compiler checks every row.
#pragma once

#include <windows.h>

#include <climits>
#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "framework/UniqueHandle.h"

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
                dx.Fail(m_id, MaxCharsMessage(m_maxChars));
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

// Handler rows. A message row answers one message; a command row one (control id, notification
// code) pair of WM_COMMAND; a notify row one (control id, code) pair of WM_NOTIFY.
template <class D> struct MessageRow {
    UINT message;
    INT_PTR (D::*handler)(WPARAM, LPARAM);
};
template <class D> struct CommandRow {
    int id;
    int code;
    void (D::*handler)();
};
template <class D> struct NotifyRow {
    int id;
    UINT code;
    LRESULT (D::*handler)(NMHDR*);
};
template <class D> struct HandlerTable {
    std::vector<MessageRow<D>> messages;
    std::vector<CommandRow<D>> commands;
    std::vector<NotifyRow<D>> notifications;
};

class Dialog {
public:
    Dialog(HINSTANCE module, UINT templateId) noexcept
        : m_module(module)
        , m_templateId(templateId)
    {
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally; returns the EndDialog result, or -1 when it cannot be created.
    INT_PTR DoModal(HWND parent) noexcept;
    // Creates the dialog modelessly (a child when the template says WS_CHILD); the object owns it.
    bool Create(HWND parent) noexcept;
    void Destroy() noexcept;

    [[nodiscard]] HWND Hwnd() const noexcept { return m_hwnd; }
    [[nodiscard]] HINSTANCE Module() const noexcept { return m_module; }
    [[nodiscard]] UINT TemplateId() const noexcept { return m_templateId; }
    [[nodiscard]] HWND Item(int id) const noexcept { return ::GetDlgItem(m_hwnd, id); }

    // Runs DoDataExchange in one direction; false when validation stopped it.
    bool UpdateData(bool saveAndValidate);
    [[nodiscard]] bool InExchange() const noexcept { return m_exchanging; }
    void EndDialog(INT_PTR result) noexcept;

    // Caption of the framework's validation warnings.
    [[nodiscard]] virtual std::wstring MessageCaption() const;

    // Linked fields, as described by the derived class's exchange rows.
    [[nodiscard]] virtual std::size_t FieldCount() const { return 0; }
    [[nodiscard]] virtual int FieldControl(std::size_t) const { return 0; }
    [[nodiscard]] virtual const wchar_t* FieldProperty(std::size_t) const { return nullptr; }
    [[nodiscard]] virtual FieldValue GetField(std::size_t) const { return 0; }
    virtual void SetField(std::size_t, const FieldValue&) { }

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) { }
    virtual void OnOK();
    virtual void OnCancel();
    // The derived class's tables; true when a row handled the message.
    virtual bool DispatchTable(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }
    // Sees every WM_COMMAND before the tables; true swallows it.
    virtual bool FilterCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);

    HINSTANCE m_module;
    UINT m_templateId;
    HWND m_hwnd = nullptr;
    UniqueHwnd m_owned; // modeless windows only
    bool m_modal = false;
    bool m_exchanging = false;
};

// Binds the derived class D's tables: D provides `static const HandlerTable<D>& Handlers()` and
// `static const std::vector<ExchangeRow<D>>& ExchangeRows()`. Base lets a specialised dialog
// (such as a property page) sit between Dialog and D.
template <class D, class Base = Dialog> class DialogT : public Base {
public:
    using Base::Base;

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

    bool DispatchTable(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override
    {
        D& self = static_cast<D&>(*this);
        const HandlerTable<D>& table = D::Handlers();
        if (message == WM_COMMAND) {
            const int id = LOWORD(wParam), code = HIWORD(wParam);
            for (const CommandRow<D>& row : table.commands) {
                if (row.id == id && row.code == code) {
                    (self.*row.handler)();
                    result = TRUE;
                    return true;
                }
            }
        } else if (message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            for (const NotifyRow<D>& row : table.notifications) {
                if (header && row.id == static_cast<int>(header->idFrom) && row.code == header->code) {
                    ::SetWindowLongPtrW(this->Hwnd(), DWLP_MSGRESULT, (self.*row.handler)(header));
                    result = TRUE;
                    return true;
                }
            }
        }
        for (const MessageRow<D>& row : table.messages) {
            if (row.message == message) {
                result = (self.*row.handler)(wParam, lParam);
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
