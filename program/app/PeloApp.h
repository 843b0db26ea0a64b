// The application object: runs the keyboard window for the whole run, registers the key button
// library once that window is shown, and removes the registration at exit.
#pragma once

#include <memory>
#include <vector>

#include "app/MainFrame.h"
#include "framework/window/Application.h"

class CPeloApp : public pelo::window::ApplicationT<CPeloApp> {
public:
    static const std::vector<pelo::window::AppCommandRow<CPeloApp>>& Commands();

protected:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    void OnHelp();

    std::unique_ptr<CMainFrame> m_pMainFrame; // lives until the process ends
};
