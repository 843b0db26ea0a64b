// One outgoing interface of a control: the sinks advised on it. The point lives inside its
// control and shares the control's reference count.
#pragma once

#include "framework/ComPtr.h"

#include <ocidl.h>

#include <utility>
#include <vector>

namespace pelo::activex {

#pragma GCC diagnostic push
// COM objects are released through their interfaces, never deleted through them.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ConnectionPoint final : public IConnectionPoint {
public:
    // owner: the control's identity and container; acceptDispatch: a sink that only offers
    // IDispatch is taken as well (outgoing dispinterfaces).
    ConnectionPoint(IConnectionPointContainer* owner, const IID& iid, bool acceptDispatch) noexcept
        : m_owner(owner)
        , m_iid(iid)
        , m_acceptDispatch(acceptDispatch)
    {
    }
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    [[nodiscard]] const IID& iid() const noexcept { return m_iid; }
    // Snapshot of the sinks, so that a sink may unadvise while it is being called.
    [[nodiscard]] std::vector<ComPtr<IUnknown>> Sinks() const;
    [[nodiscard]] bool empty() const noexcept { return m_sinks.empty(); }
    void Clear() noexcept { m_sinks.clear(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** e) override;

private:
    IConnectionPointContainer* m_owner;
    IID m_iid;
    bool m_acceptDispatch;
    DWORD m_nextCookie = 1;
    std::vector<std::pair<DWORD, ComPtr<IUnknown>>> m_sinks;
};
#pragma GCC diagnostic pop

} // namespace pelo::activex
