#include "app/Registration.h"

#include <gtest/gtest.h>

using pelo::program::RegistrationCommand;

TEST(RegistrationCommand, BothCommands_QuoteAPathWithBlanks)
{
    EXPECT_EQ(RegistrationCommand(L"C:\\Program Files\\Pelo 工具", false),
        L"regsvr32.exe /s \"C:\\Program Files\\Pelo 工具\\Pelokey.ocx\"");
    // Unquoted, the removal would see "C:\Program" and leave the registration behind.
    EXPECT_EQ(RegistrationCommand(L"C:\\Program Files\\Pelo 工具", true),
        L"regsvr32.exe /u /s \"C:\\Program Files\\Pelo 工具\\Pelokey.ocx\"");
}
