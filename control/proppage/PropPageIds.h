// Resource and control identifiers of the property page and the about box (also read by the
// resource compiler).
#pragma once

#define IDD_ABOUTBOX_PELOKEY 1
#define IDI_ABOUTDLL 1
#define IDD_PROPPAGE_PELOKEY 200
#define IDS_PELOKEY_PPG_CAPTION 200

#define IDC_EDIT_SENDMSG 205
#define IDC_EDIT_KEYSTYLE 206
#define IDC_EDIT_KEYCHAR 207
#define IDC_EDIT_KEYSTRING 208
#define IDC_EDIT_SHIFT 209
#define IDC_EDIT_INCONFIGDLG 210
