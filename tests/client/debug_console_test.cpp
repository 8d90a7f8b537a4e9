#include "client/debug_console.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

TEST(DebugConsole, OutputThatGoesSomewhereIsUsable)
{
    EXPECT_TRUE(OpenDebugConsole(false));
    EXPECT_TRUE(OpenDebugConsole(true));
}

// A parent may start the program with its standard output closed. The console must then fill the
// gap, or the next descriptor opened (the server's socket) would become standard output.
TEST(DebugConsoleDeathTest, ClosedStandardOutputIsFilledAndReported)
{
    EXPECT_EXIT(
        {
            close(STDOUT_FILENO);
            const bool usable = OpenDebugConsole(true);
            const bool filled = fcntl(STDOUT_FILENO, F_GETFD) != -1;
            _exit(!usable && filled ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
