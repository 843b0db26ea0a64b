#include "framework/window/Application.h"

#include "framework/window/Window.h"

#include <ole2.h>

namespace pelo::window {
namespace {
Application* g_current = nullptr;

// OleInitialize / OleUninitialize for the run: hosted controls need OLE on the thread.
class OleScope {
public:
    OleScope() noexcept
        : m_hr(::OleInitialize(nullptr))
    {
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    ~OleScope()
    {
        if (SUCCEEDED(m_hr)) {
            ::OleUninitialize();
        }
    }

private:
    HRESULT m_hr;
};
} // namespace

Application::Application() noexcept
{
    g_current = this;
}

Application::~Application()
{
    if (g_current == this) {
        g_current = nullptr;
    }
}

Application* Application::Current() noexcept
{
    return g_current;
}

int Application::Run(HINSTANCE instance) noexcept
{
    m_instance = instance;
    const OleScope ole;
    try {
        if (InitInstance()) {
            MSG msg {};
            for (;;) {
                const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
                if (got == 0) {
                    m_exitCode = static_cast<int>(msg.wParam);
                    break;
                }
                if (got == -1) {
                    break;
                }
                if (!Window::PreTranslate(msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
        }
        return ExitInstance();
    } catch (...) {
        // Nothing is known about how far the run got: end without the exit steps.
        return 1;
    }
}

} // namespace pelo::window
