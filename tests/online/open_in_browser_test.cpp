#include "online/open_in_browser.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/executable_path.h"
#include "support/child_program.h"
#include "support/temp_folder.h"

namespace {

TEST(OpenInBrowser, OnlyPlainHttpsAddressesAreOpenable)
{
    struct Case {
        std::string url;
        bool openable;
    };
    const Case cases[] = {
        {"https://accounts.example/o/auth?state=a%20b&x=1", true},
        {"https://", true},
        {"https://b\xC3\xA4r.example/", true},  // bytes above 127 are not control characters
        {"http://accounts.example/", false},
        {"HTTPS://accounts.example/", false},
        {"Https://accounts.example/", false},
        {"https:/", false},
        {"", false},
        {"https://accounts.example/a b", false},
        {"https://accounts.example/\"", false},
        {"https://accounts.example/\t", false},
        {"https://accounts.example/\n--new-window", false},
        {std::string("https://accounts.example/\0x", 27), false},
        {"https://accounts.example/\x7F", true},
        {" https://accounts.example/", false},
        {"file:///etc/passwd", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(net::IsOpenableUrl(c.url), c.openable) << c.url;
    }
}

// Points ZELLWAR_BROWSER at the stand-in browser for one test, which records the addresses it is
// given in a log file.
class StandInBrowser : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string folder = ExecutablePath().substr(0, ExecutablePath().rfind('/'));
        logPath_ = temp_.Path() + "/browser.log";
        setenv("ZELLWAR_BROWSER", (folder + "/zw_stand_in_browser").c_str(), 1);
        setenv("ZELLWAR_BROWSER_LOG", logPath_.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("ZELLWAR_BROWSER");
        unsetenv("ZELLWAR_BROWSER_LOG");
    }

    // The log once it holds a whole line, or what it holds after ten seconds.
    std::string WaitForLog() const
    {
        const double giveUp = testsupport::MonotonicSeconds() + 10.0;
        std::string log;
        while (testsupport::MonotonicSeconds() < giveUp) {
            log = std::filesystem::exists(logPath_) ? testsupport::ReadTextFile(logPath_) : std::string();
            if (!log.empty() && log.back() == '\n') {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return log;
    }

    testsupport::TempFolder temp_;
    std::string logPath_;
};

TEST_F(StandInBrowser, ReceivesTheAddressAsItsOneArgument)
{
    // Port 1 on the local machine refuses at once, so the stand-in ends quickly.
    const std::string url = "https://127.0.0.1:1/authorize?redirect_uri=http%3A%2F%2F127.0.0.1&state=a'b;$(x)|&y=*";

    EXPECT_TRUE(net::OpenInBrowser(url));

    EXPECT_EQ(WaitForLog(), url + "\n");
}

TEST_F(StandInBrowser, AMissingProgramIsAFailure)
{
    setenv("ZELLWAR_BROWSER", (temp_.Path() + "/no-such-browser").c_str(), 1);

    EXPECT_FALSE(net::OpenInBrowser("https://127.0.0.1:1/"));
}

}  // namespace
