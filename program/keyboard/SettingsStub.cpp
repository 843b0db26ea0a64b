// Stand-in for the settings command: replaced when the settings dialog lands.
#include "keyboard/PeloDlg.h"

void CPeloDlg::RunSettings() { }
