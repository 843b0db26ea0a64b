// The application object: one per process, run by wWinMain. It initialises OLE for the thread,
// runs InitInstance, pumps messages while InitInstance says so, and ends with ExitInstance. Its
// command rows are the last stop of every window's command route.
#pragma once

#include <windows.h>

#include <vector>

namespace pelo::window {

// An application command bound to a member of the derived application class D.
template <class D> struct AppCommandRow {
    int id;
    void (D::*handler)();
};

class Application {
public:
    // The new object becomes the process's current application.
    Application() noexcept;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application();

    [[nodiscard]] static Application* Current() noexcept;

    // The whole run: InitInstance; when it returns TRUE, the message loop until WM_QUIT (whose
    // code becomes the exit code); then ExitInstance, whose result is returned.
    int Run(HINSTANCE instance) noexcept;

    [[nodiscard]] HINSTANCE Instance() const noexcept { return m_instance; }
    [[nodiscard]] HWND MainWindow() const noexcept { return m_mainWindow; }
    void SetMainWindow(HWND hwnd) noexcept { m_mainWindow = hwnd; }
    [[nodiscard]] int ExitCode() const noexcept { return m_exitCode; }
    void SetExitCode(int code) noexcept { m_exitCode = code; }

    // The application's command rows; true when one handled id.
    virtual bool OnCommand(int) { return false; }
    [[nodiscard]] virtual bool HasCommandHandler(int) const { return false; }

protected:
    virtual BOOL InitInstance() { return TRUE; }
    // The process exit code; the base returns ExitCode().
    virtual int ExitInstance() { return m_exitCode; }

private:
    HINSTANCE m_instance = nullptr;
    HWND m_mainWindow = nullptr;
    int m_exitCode = 0;
};

// Binds the derived application D's command rows: D provides
// `static const std::vector<AppCommandRow<D>>& Commands()`.
template <class D> class ApplicationT : public Application {
public:
    bool OnCommand(int id) override
    {
        for (const AppCommandRow<D>& row : D::Commands()) {
            if (row.id == id) {
                (static_cast<D&>(*this).*row.handler)();
                return true;
            }
        }
        return false;
    }
    [[nodiscard]] bool HasCommandHandler(int id) const override
    {
        for (const AppCommandRow<D>& row : D::Commands()) {
            if (row.id == id) {
                return true;
            }
        }
        return false;
    }
};

} // namespace pelo::window
