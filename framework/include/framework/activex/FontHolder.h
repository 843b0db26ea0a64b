// A control's font property: owns a standard font object, watches it for changes made to it in
// place (the font page edits the object itself), and tells the owner. Drawing uses a copy of the
// object, so that realizing a GDI font never touches the description that is persisted (Wine's
// font object rewrites its name and size with the realized font's).
#pragma once

#include "framework/ComPtr.h"

#include <ocidl.h>
#include <olectl.h>

#include <functional>

namespace pelo::activex {

class FontHolder {
public:
    // onChanged runs whenever the font object reports a change of its attributes.
    explicit FontHolder(std::function<void()> onChanged);
    FontHolder(const FontHolder&) = delete;
    FontHolder& operator=(const FontHolder&) = delete;
    ~FontHolder();

    // A fresh font object with the given description.
    HRESULT InitializeFont(const FONTDESC& desc) noexcept;
    // A clone of the font behind source (any object answering IFont), or desc when source is null.
    HRESULT InitializeFont(const FONTDESC& desc, IUnknown* source) noexcept;

    [[nodiscard]] IFont* font() const noexcept { return m_font.get(); }
    // New reference to the font's IFontDisp, or null.
    [[nodiscard]] IFontDisp* GetFontDispatch() const noexcept;
    // The font handle for drawing on a device with cyLogical pixels per inch (owned by the font).
    [[nodiscard]] HFONT GetFontHandle(long cyLogical, long cyHimetric = 2540) const noexcept;

private:
    class Sink;
    void Attach(ComPtr<IFont> font) noexcept;
    void Detach() noexcept;

    std::function<void()> m_onChanged;
    ComPtr<IFont> m_font;
    mutable ComPtr<IFont> m_drawFont;
    mutable long m_drawLogical = 0; // the ratio the drawing copy was last set to
    mutable long m_drawHimetric = 0;
    ComPtr<Sink> m_sink;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace pelo::activex
