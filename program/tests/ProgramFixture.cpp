#include "ProgramFixture.h"

namespace pelo::programtest {

void ProgramFixture::SetUp()
{
    ASSERT_TRUE(folder.Ready());
    folder.WriteIni(L"SHWEL", L"SHWEL", 0);
}

HWND ProgramFixture::Start(RunningPelo& pelo)
{
    EXPECT_TRUE(pelo.Started());
    return pelo.WaitForKeyboard();
}

void ProgramFixture::Close(RunningPelo& pelo)
{
    ::PostMessageW(pelo.Keyboard(), WM_CLOSE, 0, 0);
    EXPECT_EQ(pelo.WaitForExit(), 0u);
}

} // namespace pelo::programtest
