// The welcome dialog offered at start: the user chooses to read the help, to start at once or to
// go to the settings, and can switch the dialog off for later starts.
#pragma once

#include <vector>

#include "framework/dialog/Dialog.h"

class CWelcomeDlg : public pelo::dialog::DialogT<CWelcomeDlg> {
public:
    enum Choice { kNone = 0, kShowHelp = 1, kUseDirectly = 2, kCustomise = 3 };

    CWelcomeDlg();

    static const pelo::dialog::HandlerTable<CWelcomeDlg>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CWelcomeDlg>>& ExchangeRows();

    int m_nChoice = kNone;
    int m_bDontShowAgain = 0; // check box "不再显示本窗口"

protected:
    void DoDataExchange(pelo::dialog::DataExchange& dx) override;
    // Esc and the close box keep the check box's state too.
    void OnCancel() override;

private:
    void OnChoice(int id);
};
