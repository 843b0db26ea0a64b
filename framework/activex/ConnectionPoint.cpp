#include "framework/activex/ConnectionPoint.h"

#include "framework/com/ComObject.h"

#include <olectl.h>

#include <new>

namespace pelo::activex {

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const
{
    std::vector<ComPtr<IUnknown>> sinks;
    sinks.reserve(m_sinks.size());
    for (const auto& entry : m_sinks) {
        sinks.push_back(entry.second);
    }
    return sinks;
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    return com::QueryFromTable({ { IID_IUnknown, this }, { IID_IConnectionPoint, this } }, riid, ppv);
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) {
        return E_POINTER;
    }
    *iid = m_iid;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container) {
        return E_POINTER;
    }
    *container = m_owner;
    m_owner->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie) {
        return E_POINTER;
    }
    *cookie = 0;
    if (!sink) {
        return E_POINTER;
    }
    ComPtr<IUnknown> typed;
    HRESULT hr = sink->QueryInterface(m_iid, typed.put_void());
    if (FAILED(hr) && m_acceptDispatch) {
        hr = sink->QueryInterface(IID_IDispatch, typed.put_void());
    }
    if (FAILED(hr)) {
        return CONNECT_E_CANNOTCONNECT;
    }
    try {
        m_sinks.emplace_back(m_nextCookie, std::move(typed));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *cookie = m_nextCookie++;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
        if (it->first == cookie) {
            // Release after the entry is gone: the sink's destructor may call back into us.
            ComPtr<IUnknown> sink = std::move(it->second);
            m_sinks.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** e)
{
    if (!e) {
        return E_POINTER;
    }
    *e = nullptr;
    return E_NOTIMPL;
}

} // namespace pelo::activex
