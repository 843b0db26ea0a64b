// What most program tests start from: a fresh folder in which the program starts without its
// welcome dialog, and the program started there and closed again as a user would.
#pragma once

#include <gtest/gtest.h>

#include "ProgramDriver.h"

namespace pelo::programtest {

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // The keyboard window of a copy started in the folder, or nullptr when it did not show.
    static HWND Start(RunningPelo& pelo);
    // Closes the keyboard window; the program ends with exit code 0.
    static void Close(RunningPelo& pelo);

    ProgramFolder folder;
};

} // namespace pelo::programtest
