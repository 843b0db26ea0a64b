// Move-only owner of a Win32 handle. Traits name the invalid value and how to close it.
#pragma once

#include <windows.h>

#include <utility>

namespace pelo {

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept
        : m_h(h)
    {
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_h(other.release())
    {
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    [[nodiscard]] Handle get() const noexcept { return m_h; }
    [[nodiscard]] bool valid() const noexcept { return m_h != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    [[nodiscard]] Handle release() noexcept { return std::exchange(m_h, Traits::invalid()); }

    void reset(Handle h = Traits::invalid()) noexcept
    {
        Handle old = std::exchange(m_h, h);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

    // Closes the current handle and hands out the address for a function that fills it.
    [[nodiscard]] Handle* put() noexcept
    {
        reset();
        return &m_h;
    }

private:
    Handle m_h = Traits::invalid();
};

namespace traits {
template <typename H, typename Fn, Fn CloseFn> struct NullIsInvalid {
    using Handle = H;
    static constexpr Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { CloseFn(h); }
};

struct File {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { ::CloseHandle(h); }
};
} // namespace traits

using UniqueKernelHandle
    = UniqueHandle<traits::NullIsInvalid<HANDLE, decltype(&::CloseHandle), &::CloseHandle>>;
using UniqueFile = UniqueHandle<traits::File>;
using UniqueHwnd = UniqueHandle<traits::NullIsInvalid<HWND, decltype(&::DestroyWindow), &::DestroyWindow>>;
using UniqueHhook
    = UniqueHandle<traits::NullIsInvalid<HHOOK, decltype(&::UnhookWindowsHookEx), &::UnhookWindowsHookEx>>;
using UniqueHmodule = UniqueHandle<traits::NullIsInvalid<HMODULE, decltype(&::FreeLibrary), &::FreeLibrary>>;
using UniqueHkey = UniqueHandle<traits::NullIsInvalid<HKEY, decltype(&::RegCloseKey), &::RegCloseKey>>;
using UniqueHdc = UniqueHandle<traits::NullIsInvalid<HDC, decltype(&::DeleteDC), &::DeleteDC>>;
using UniqueHmenu = UniqueHandle<traits::NullIsInvalid<HMENU, decltype(&::DestroyMenu), &::DestroyMenu>>;
using UniqueHicon = UniqueHandle<traits::NullIsInvalid<HICON, decltype(&::DestroyIcon), &::DestroyIcon>>;

// GDI objects of any kind (fonts, bitmaps, brushes, pens).
template <typename H> struct GdiTraits {
    using Handle = H;
    static constexpr Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::DeleteObject(h); }
};
using UniqueHfont = UniqueHandle<GdiTraits<HFONT>>;
using UniqueHbitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using UniqueHbrush = UniqueHandle<GdiTraits<HBRUSH>>;
using UniqueHpen = UniqueHandle<GdiTraits<HPEN>>;

// Selects a GDI object into a device context for the lifetime of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept
        : m_dc(dc)
        , m_old(::SelectObject(dc, obj))
    {
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_old != nullptr && m_old != HGDI_ERROR) {
            ::SelectObject(m_dc, m_old);
        }
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace pelo
