// Dialog templates prepared for hosting ActiveX controls, and the dialog-initialisation records
// that hold the controls' persisted state. Plain C++ over bytes, so the parsers are tested and
// fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelo::container {

// A class identifier in the memory layout of the platform's GUID.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0, data3 = 0;
    std::uint8_t data4[8] = {};
};
bool operator==(const Guid& a, const Guid& b) noexcept;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", hexadecimal digits of either case; nothing else.
bool ParseGuid(const std::u16string& text, Guid& guid) noexcept;

// A template item whose window class is a class identifier, taken out of the template.
struct TemplateControl {
    int id = 0;
    Guid clsid;
    std::u16string classText; // the class field as written
    std::u16string title;
    std::uint32_t style = 0, exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0; // dialog units
    // Position among all the template's items, and the number of ordinary items before it: its
    // place in the tab and z order among the windows the dialog manager creates.
    std::size_t index = 0;
    std::size_t ordinaryBefore = 0;
};

struct PreparedTemplate {
    // The template without the class-identifier items and with the dialog's class replaced; its
    // start must be handed to the system 4-byte aligned (vector storage is).
    std::vector<std::uint8_t> bytes;
    std::vector<TemplateControl> controls; // in template order
    bool extended = false;
};

// Reads a DLGTEMPLATE or DLGTEMPLATEEX. className: the window class the dialog is to have (empty
// keeps the template's own). False for a template that ends early or is malformed.
bool PrepareDialogTemplate(
    const void* data, std::size_t size, const std::u16string& className, PreparedTemplate& out);

// One control's persisted state from the dialog-initialisation resource.
struct InitRecord {
    int id = 0;
    std::vector<std::uint8_t> stream; // exactly the property stream
};

// The records of control state (message 0x0376) of a dialog-initialisation resource: each is
// {WORD id, WORD 0x0376, DWORD length, length bytes: a 4-byte zero, then the stream}, the list
// ended by a WORD 0. Records of other messages (list and combo box strings) are skipped. False
// when the data ends inside a record or a state record is shorter than its zero prefix.
bool ParseDialogInit(const void* data, std::size_t size, std::vector<InitRecord>& out);

inline constexpr std::uint16_t DialogInitStateMessage = 0x0376;

} // namespace pelo::container
