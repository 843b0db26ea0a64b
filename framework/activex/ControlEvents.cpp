// Events: the connection points of the event interface and of property change notifications,
// firing to their sinks, and the container's freezing of events.
#include "framework/activex/ControlBase.h"

#include "framework/com/ComObject.h"
#include "framework/com/NoThrow.h"

#include <vector>

namespace pelo::activex {
namespace {
// Enumerates a fixed list of connection points; holds the container alive while it exists.
#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PointEnumerator final : public com::SingleInterfaceObject<PointEnumerator, IEnumConnectionPoints> {
public:
    PointEnumerator(IUnknown* owner, std::vector<IConnectionPoint*> points, ULONG next = 0)
        : m_owner(owner)
        , m_points(std::move(points))
        , m_next(next)
    {
    }
    STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override
    {
        if (!out || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG n = 0;
        while (n < count && m_next < m_points.size()) {
            out[n] = m_points[m_next++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched) {
            *fetched = n;
        }
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        const auto left = static_cast<ULONG>(m_points.size()) - m_next;
        m_next += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** e) override
    {
        if (!e) {
            return E_POINTER;
        }
        *e = nullptr;
        return com::CallNoThrow([&] {
            *e = new PointEnumerator(m_owner.get(), m_points, m_next);
            return S_OK;
        });
    }

private:
    com::ModuleReference m_module;
    ComPtr<IUnknown> m_owner;
    std::vector<IConnectionPoint*> m_points;
    ULONG m_next;
};
#pragma GCC diagnostic pop
} // namespace

STDMETHODIMP ControlBase::EnumConnectionPoints(IEnumConnectionPoints** e)
{
    if (!e) {
        return E_POINTER;
    }
    *e = nullptr;
    return com::CallNoThrow([&] {
        *e = new PointEnumerator(identity(), { &m_eventPoint, &m_propertyPoint });
        return S_OK;
    });
}

STDMETHODIMP ControlBase::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (IsEqualIID(riid, m_eventPoint.iid())) {
        *point = &m_eventPoint;
    } else if (IsEqualIID(riid, m_propertyPoint.iid())) {
        *point = &m_propertyPoint;
    } else {
        return CONNECT_E_NOCONNECTION;
    }
    (*point)->AddRef();
    return S_OK;
}

STDMETHODIMP ControlBase::FreezeEvents(BOOL freeze)
{
    if (freeze) {
        ++m_freeze;
    } else if (m_freeze > 0) {
        --m_freeze;
    }
    return S_OK;
}

void ControlBase::FireEvent(DISPID id, DISPPARAMS* params) noexcept
{
    if (m_freeze > 0) {
        return;
    }
    DISPPARAMS none {};
    ComPtr<IUnknown> keepAlive(identity());
    std::vector<ComPtr<IUnknown>> sinks;
    try {
        sinks = m_eventPoint.Sinks();
    } catch (...) {
        return;
    }
    for (const auto& sink : sinks) {
        auto dispatch = sink.As<IDispatch>();
        if (dispatch) {
            (void)dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                params ? params : &none, nullptr, nullptr, nullptr);
        }
    }
}

void ControlBase::NotifyPropertyChanged(DISPID id) noexcept
{
    if (m_propertyPoint.empty()) {
        return;
    }
    std::vector<ComPtr<IUnknown>> sinks;
    try {
        sinks = m_propertyPoint.Sinks();
    } catch (...) {
        return;
    }
    for (const auto& sink : sinks) {
        auto notify = sink.As<IPropertyNotifySink>();
        if (notify) {
            (void)notify->OnChanged(id);
        }
    }
}

} // namespace pelo::activex
