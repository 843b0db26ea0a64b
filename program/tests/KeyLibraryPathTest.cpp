#include "app/Registration.h"

#include <gtest/gtest.h>

using pelo::program::KeyLibraryPath;

TEST(KeyLibraryPath, FolderWithBlanksAndChineseCharacters_IsKeptAsItIs)
{
    EXPECT_EQ(KeyLibraryPath(L"C:\\Program Files\\Pelo 工具"), L"C:\\Program Files\\Pelo 工具\\Pelokey.ocx");
}

TEST(KeyLibraryPath, DriveRoot_GetsNoSecondBackslash)
{
    EXPECT_EQ(KeyLibraryPath(L"D:\\"), L"D:\\Pelokey.ocx");
}
