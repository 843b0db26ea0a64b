// Tab 2 of the settings dialog ("更多"): the scheme hotkey, whether Ctrl, Alt and Win
// combinations keep working, starting at log-on, and the programs whose keys are left alone.
// Like the hotkey page it stores nothing itself: the settings dialog takes its values on OK.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/dialog/Dialog.h"
#include "more/MoreSettings.h"

class CMorePage : public pelo::dialog::DialogT<CMorePage> {
public:
    CMorePage();

    static const pelo::dialog::HandlerTable<CMorePage>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CMorePage>>& ExchangeRows();

    // The settings as the page shows them.
    [[nodiscard]] pelo::program::MoreSettings Collect() const;
    // Writes or removes the log-on entry when the user changed the box; tells the user when that
    // cannot be done.
    void ApplyStartupEntry();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { } // Enter inside the page closes nothing
    void OnCancel() override { } // nor does Esc

private:
    void OnClearSchemeHotKey();
    void OnAddProgram();
    void OnRemoveProgram();
    [[nodiscard]] std::vector<std::wstring> ListedPrograms() const;
    void Tell(const std::wstring& text);

    bool m_bStartupAtOpen = false;
};
