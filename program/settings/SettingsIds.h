// Resource and control identifiers of the settings dialog, its two pages and the rename dialog.
#pragma once

#define IDD_SETTINGS 133
#define IDD_KEYMAP_PAGE 134
#define IDD_HOTKEY_PAGE 135
#define IDD_RENAME 138

#define IDC_SETTINGS_TAB 1002

#define IDC_SCHEME_COMBO 1003
#define IDC_RENAME_SCHEME 1004
#define IDC_USE_SCHEME 1005
#define IDC_KEY_TEXT 1008
#define IDC_TCHAR1 1009
#define IDC_TCHAR2 1010
#define IDC_KEY_NAMES 1011

#define IDC_DEFAULT_HOTKEY 1053
#define IDC_NEW_NAME 1054
#define IDC_HOTKEY 1057
