// Resource and control identifiers of the welcome dialog and the about box.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_WELCOME 156

#define IDC_WELCOME_HELP 1053
#define IDC_WELCOME_DIRECT 1054
#define IDC_WELCOME_CUSTOMISE 1055
#define IDC_DONT_SHOW_AGAIN 1061

// The system menu's about item (the command with its low four bits cleared).
#define IDM_ABOUTBOX 0x0010
