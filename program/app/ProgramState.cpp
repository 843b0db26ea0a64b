#include "ProgramState.h"

CKeyMapFangAn g_CurrentFangAn;
int g_nCurrentSlot = 1;
int g_nLoadedSlot = 0;
FangAnNameTable g_szFangAnNames = {};
CHotKeySetting g_HotKeySetting;
int g_bSettingsOpen = 0;
int g_bFirstMove = 1;
