// Resource and command identifiers of the program.
#pragma once

#define IDR_MAINFRAME 128
#define IDI_FUNCTION_ON 128
#define IDI_FUNCTION_OFF 129
#define IDR_FUNCTION_MENU 135
#define IDD_PELO_DIALOG 102

#define IDC_SHIFT_KEY 1049
#define IDC_FIRST_KEY 1012
#define IDC_LAST_KEY 1048

#define ID_APP_ABOUT 32772
#define ID_SETTINGS 32773
#define ID_TOGGLE_FUNCTION 32775
#define ID_APP_EXIT 32776
#define ID_SCHEME_1 32778
#define ID_SCHEME_5 32782
#define ID_HELP 57670
