#include "framework/activex/FontHolder.h"

#include "framework/com/ComObject.h"
#include "framework/com/NoThrow.h"

#include <new>
#include <utility>

namespace pelo::activex {

// Receives the font object's change notifications; the holder cuts the link before it goes.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FontHolder::Sink final : public com::SingleInterfaceObject<FontHolder::Sink, IPropertyNotifySink> {
public:
    explicit Sink(FontHolder* holder) noexcept
        : m_holder(holder)
    {
    }
    void Disconnect() noexcept { m_holder = nullptr; }

    STDMETHODIMP OnChanged(DISPID) override
    {
        if (m_holder) {
            m_holder->m_drawFont.reset();
        }
        if (!m_holder || !m_holder->m_onChanged) {
            return S_OK;
        }
        return com::CallNoThrow([&] {
            m_holder->m_onChanged();
            return S_OK;
        });
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
    FontHolder* m_holder;
};
#pragma GCC diagnostic pop

FontHolder::FontHolder(std::function<void()> onChanged)
    : m_onChanged(std::move(onChanged))
{
}

FontHolder::~FontHolder()
{
    Detach();
}

void FontHolder::Detach() noexcept
{
    if (m_point && m_cookie) {
        (void)m_point->Unadvise(m_cookie);
    }
    m_point.reset();
    m_cookie = 0;
    if (m_sink) {
        m_sink->Disconnect();
        m_sink.reset();
    }
    m_font.reset();
    m_drawFont.reset();
}

void FontHolder::Attach(ComPtr<IFont> font) noexcept
{
    Detach();
    m_font = std::move(font);
    if (!m_font) {
        return;
    }
    auto container = m_font.As<IConnectionPointContainer>();
    if (!container || FAILED(container->FindConnectionPoint(IID_IPropertyNotifySink, m_point.put()))) {
        return;
    }
    m_sink = ComPtr<Sink>::Attach(new (std::nothrow) Sink(this));
    if (m_sink && FAILED(m_point->Advise(m_sink.get(), &m_cookie))) {
        m_cookie = 0;
    }
}

HRESULT FontHolder::InitializeFont(const FONTDESC& desc) noexcept
{
    return InitializeFont(desc, nullptr);
}

HRESULT FontHolder::InitializeFont(const FONTDESC& desc, IUnknown* source) noexcept
{
    ComPtr<IFont> font;
    if (source) {
        ComPtr<IFont> given;
        HRESULT hr = source->QueryInterface(IID_IFont, given.put_void());
        if (SUCCEEDED(hr)) {
            hr = given->Clone(font.put());
        }
        if (FAILED(hr)) {
            return hr;
        }
    } else {
        FONTDESC copy = desc;
        const HRESULT hr = ::OleCreateFontIndirect(&copy, IID_IFont, font.put_void());
        if (FAILED(hr)) {
            return hr;
        }
    }
    Attach(std::move(font));
    return S_OK;
}

IFontDisp* FontHolder::GetFontDispatch() const noexcept
{
    IFontDisp* disp = nullptr;
    if (m_font) {
        (void)m_font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&disp));
    }
    return disp;
}

HFONT FontHolder::GetFontHandle(long cyLogical, long cyHimetric) const noexcept
{
    HFONT font = nullptr;
    if (m_font && !m_drawFont) {
        (void)m_font->Clone(m_drawFont.put());
        m_drawLogical = 0;
    }
    if (!m_drawFont) {
        return nullptr;
    }
    // A new ratio makes the font object realize its GDI font again: only set it when it changes.
    if (m_drawLogical != cyLogical || m_drawHimetric != cyHimetric) {
        if (FAILED(m_drawFont->SetRatio(cyLogical, cyHimetric))) {
            return nullptr;
        }
        m_drawLogical = cyLogical;
        m_drawHimetric = cyHimetric;
    }
    (void)m_drawFont->get_hFont(&font);
    return font;
}

} // namespace pelo::activex
