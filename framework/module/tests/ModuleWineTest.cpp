// The module helper on the test program itself and on a system library.
#include "framework/Module.h"

#include <gtest/gtest.h>

TEST(Module, NameAndPath_OfTheProgramAndOfALibrary)
{
    const std::wstring path = pelo::ModulePath(nullptr);
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(path.substr(path.size() - 4), L".exe");
    EXPECT_EQ(pelo::ModuleName(nullptr), L"pelo_framework_module_tests");
    EXPECT_EQ(pelo::ModuleName(::GetModuleHandleW(L"kernel32.dll")), L"kernel32");
}

TEST(Module, String_ReadFromTheModule_EmptyWhenMissing)
{
    EXPECT_EQ(pelo::ModuleString(nullptr, 7), L"键盘 keys");
    EXPECT_EQ(pelo::ModuleString(nullptr, 8), L"");
}
