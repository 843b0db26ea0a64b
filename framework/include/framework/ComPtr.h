// Owning COM interface pointer: Release on destruction, put() for out-parameters, As<U>() to query.
#pragma once

#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace pelo {

template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept { }
    // Takes a new reference to p.
    explicit ComPtr(T* p) noexcept
        : m_p(p)
    {
        if (m_p) {
            m_p->AddRef();
        }
    }
    ComPtr(const ComPtr& other) noexcept
        : ComPtr(other.m_p)
    {
    }
    ComPtr(ComPtr&& other) noexcept
        : m_p(std::exchange(other.m_p, nullptr))
    {
    }
    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already owns.
    [[nodiscard]] static ComPtr Attach(T* p) noexcept
    {
        ComPtr r;
        r.m_p = p;
        return r;
    }

    [[nodiscard]] T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    void reset() noexcept
    {
        if (T* p = std::exchange(m_p, nullptr)) {
            p->Release();
        }
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(m_p, nullptr); }
    void swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

    // Releases the current pointer and hands out the address for a function that fills it.
    [[nodiscard]] T** put() noexcept
    {
        reset();
        return &m_p;
    }
    [[nodiscard]] void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    template <typename U> [[nodiscard]] HRESULT As(ComPtr<U>& out) const noexcept
    {
        if (!m_p) {
            out.reset();
            return E_POINTER;
        }
        return m_p->QueryInterface(__uuidof(U), out.put_void());
    }
    template <typename U> [[nodiscard]] ComPtr<U> As() const noexcept
    {
        ComPtr<U> out;
        (void)As(out);
        return out;
    }

private:
    T* m_p = nullptr;
};

// CoInitialize / CoUninitialize for a scope.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : m_hr(::CoInitializeEx(nullptr, model))
    {
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (SUCCEEDED(m_hr)) {
            ::CoUninitialize();
        }
    }
    [[nodiscard]] HRESULT result() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};

} // namespace pelo
