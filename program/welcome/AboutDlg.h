// The about box: the program's icon, name, version and copyright.
#pragma once

#include <vector>

#include "framework/dialog/Dialog.h"

class CAboutDlg : public pelo::dialog::DialogT<CAboutDlg> {
public:
    CAboutDlg();

    static const pelo::dialog::HandlerTable<CAboutDlg>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CAboutDlg>>& ExchangeRows();
};
