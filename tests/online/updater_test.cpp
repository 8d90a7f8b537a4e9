#include "online/updater.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "online/file_sha256.h"
#include "online/update_folder.h"
#include "support/account_double/account_double.h"
#include "support/temp_folder.h"

extern char** environ;

// Named, not anonymous: the suite is compiled in unity batches with the other online tests.
namespace updater_test {

using testsupport::AccountDouble;
using testsupport::DoubleFaults;
using testsupport::DoubleReply;
using testsupport::LoggedRequest;
using State = net::Updater::State;

// Polls until `done` holds or the time runs out; false when it ran out.
bool WaitUntil(const std::function<bool()>& done, double seconds = 20.0)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool Settled(State state)
{
    return state != State::Checking && state != State::Downloading && state != State::Verifying;
}

bool IsExecutable(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IXUSR) != 0;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (!std::filesystem::is_directory(folder)) return names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A zip of `files` (relative path, content), made with the zip program; the files that end in
// "zellwar" are stored without their exec bit, which the installer must set.
std::string MakeZip(const std::string& workFolder, const std::vector<std::pair<std::string, std::string>>& files)
{
    const std::string source = workFolder + "/zip_source";
    std::filesystem::remove_all(source);
    for (const auto& [path, content] : files) {
        testsupport::WriteTextFile(source + "/" + path, content);
        chmod((source + "/" + path).c_str(), 0644);
    }
    const std::string archive = workFolder + "/made.zip";
    std::filesystem::remove(archive);
    const std::string command = "cd '" + source + "' && zip -q -r '" + archive + "' .";
    if (std::system(command.c_str()) != 0) return std::string();
    return testsupport::ReadTextFile(archive);
}

// "Threaded" in the name: these run under ThreadSanitizer as well.
class UpdaterThreaded : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(double_.Start());
        temp_ = folder_.Path() + "/tmp";
        install_ = folder_.Path() + "/install";
        std::filesystem::create_directories(temp_);
        std::filesystem::create_directories(install_);
        updater_.places.tempFolder = temp_;
        updater_.places.installFolder = install_;
        updater_.places.awaitedPid = 0;
    }

    std::string UpdateFolder() const { return temp_ + "/ZellWarUpdate-" + std::to_string(getuid()); }

    void ServeLatest(const std::string& reply, int status = 200)
    {
        double_.Handle("GET", "/api/build/latest",
                       [reply, status](const LoggedRequest&) { return testsupport::JsonReply(reply, status); });
    }

    void ServeArchive(const std::string& bytes)
    {
        double_.Handle("GET", "/api/build/download", [bytes](const LoggedRequest&) {
            DoubleReply reply;
            reply.contentType = "application/zip";
            reply.body = bytes;
            return reply;
        });
    }

    net::Updater::Status Check()
    {
        updater_.CheckForUpdate("127.0.0.1", double_.Port(), double_.Pin());
        return Settle();
    }

    net::Updater::Status Settle()
    {
        EXPECT_TRUE(WaitUntil([&] { return Settled(updater_.GetStatus().state); }));
        return updater_.GetStatus();
    }

    // Checks and downloads `archive`, served with `reply` as the check's answer.
    net::Updater::Status CheckAndDownload(const std::string& reply, const std::string& archive)
    {
        ServeLatest(reply);
        ServeArchive(archive);
        EXPECT_EQ(Check().state, State::Available);
        updater_.Download();
        return Settle();
    }

    size_t RequestsFor(const std::string& path) const
    {
        size_t count = 0;
        for (const LoggedRequest& request : double_.Requests()) count += request.path == path ? 1 : 0;
        return count;
    }

    AccountDouble double_;
    testsupport::TempFolder folder_;
    std::string temp_;
    std::string install_;
    net::Updater updater_;
};

TEST_F(UpdaterThreaded, TheCheckReadsTheServiceReply)
{
    const struct {
        std::string reply;
        int status;
        State state;
        uint32_t build;
        uint64_t bytes;
        const char* message;
    } cases[] = {
        {R"({"build":84,"bytes":10})", 200, State::UpToDate, 84, 10, "You have the latest build."},
        {R"({"build": 85, "bytes": 123456, "sha256": "ab"})", 200, State::Available, 85, 123456,
         "A newer build is available."},
        {R"({"name":"x.zip"})", 200, State::UpToDate, 0, 0, "No build has been published yet."},
        {R"({"build":4294967296})", 200, State::UpToDate, 0, 0, "No build has been published yet."},
        {R"({"build":-85,"bytes":-5})", 200, State::UpToDate, 0, 0, "No build has been published yet."},
        {R"({"build":4294967295})", 200, State::Available, 4294967295u, 0, "A newer build is available."},
        {R"({"build":85})", 404, State::Failed, 0, 0, "The update server did not answer."},
        {R"({"build":85})", 500, State::Failed, 0, 0, "The update server did not answer."},
    };
    for (const auto& c : cases) {
        ServeLatest(c.reply, c.status);
        const net::Updater::Status status = Check();
        EXPECT_EQ(status.state, c.state) << c.reply;
        EXPECT_EQ(status.latestBuild, c.build) << c.reply;
        EXPECT_EQ(status.bytesTotal, c.bytes) << c.reply;
        EXPECT_EQ(status.bytesDone, 0u) << c.reply;
        EXPECT_EQ(status.message, c.message) << c.reply;
    }
    const auto requests = double_.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_FALSE(requests[0].HasHeader("Authorization"));
}

TEST_F(UpdaterThreaded, AServiceThatCannotBeReachedFailsWithTheTransportSentence)
{
    const uint16_t port = double_.Port();
    double_.Stop();
    updater_.CheckForUpdate("127.0.0.1", port, double_.Pin());
    const net::Updater::Status status = Settle();
    EXPECT_EQ(status.state, State::Failed);
    EXPECT_EQ(status.message, "Could not reach the account server.");
}

TEST_F(UpdaterThreaded, ADownloadWithoutNameOrDigestIsReadyUnderTheDefaultName)
{
    const std::string archive = AccountDouble::GeneratedBytes(200000);
    const net::Updater::Status status = CheckAndDownload(R"({"build":85})", archive);
    EXPECT_EQ(status.state, State::Ready);
    EXPECT_EQ(status.message, "Ready to install.");
    EXPECT_EQ(status.bytesDone, archive.size());
    EXPECT_EQ(status.bytesTotal, archive.size());
    EXPECT_EQ(testsupport::ReadTextFile(UpdateFolder() + "/Zell-War.zip"), archive);
    struct stat info {};
    ASSERT_EQ(lstat(UpdateFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST_F(UpdaterThreaded, AnUnsafeNameIsCutToSafeCharacters)
{
    const net::Updater::Status status =
        CheckAndDownload(R"({"build":85,"name":"../../evil name$.zip"})", "archive bytes");
    EXPECT_EQ(status.state, State::Ready);
    EXPECT_EQ(FilesIn(UpdateFolder()), std::vector<std::string>{"....evilname.zip"});
    EXPECT_EQ(FilesIn(temp_), std::vector<std::string>{"ZellWarUpdate-" + std::to_string(getuid())});
}

TEST_F(UpdaterThreaded, TheDigestDecidesWhetherTheDownloadIsKept)
{
    const std::string archive = AccountDouble::GeneratedBytes(70000);
    testsupport::WriteTextFile(folder_.Path() + "/expected.zip", archive);
    const std::string digest = net::FileSha256(folder_.Path() + "/expected.zip");
    ASSERT_EQ(digest.size(), 64u);
    std::string upper = digest;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string wrong = digest;
    wrong[0] = wrong[0] == '0' ? '1' : '0';

    const struct {
        std::string digest;
        State state;
        const char* message;
        bool kept;
    } cases[] = {
        {digest, State::Ready, "Ready to install.", true},
        {upper, State::Ready, "Ready to install.", true},
        {wrong, State::Failed, "The download did not match what the server promised.", false},
    };
    for (const auto& c : cases) {
        const net::Updater::Status status =
            CheckAndDownload(R"({"build":85,"name":"b.zip","sha256":")" + c.digest + R"("})", archive);
        EXPECT_EQ(status.state, c.state) << c.digest;
        EXPECT_EQ(status.message, c.message) << c.digest;
        EXPECT_EQ(std::filesystem::exists(UpdateFolder() + "/b.zip"), c.kept) << c.digest;
        std::filesystem::remove(UpdateFolder() + "/b.zip");
    }
}

TEST_F(UpdaterThreaded, AFailedDownloadFailsWithTheTransportSentenceAndLeavesNothing)
{
    ServeLatest(R"({"build":85})");
    ASSERT_EQ(Check().state, State::Available);
    updater_.Download();  // nothing is served at the download's path
    const net::Updater::Status status = Settle();
    EXPECT_EQ(status.state, State::Failed);
    EXPECT_EQ(status.message, "The update server had nothing to give.");
    EXPECT_TRUE(FilesIn(UpdateFolder()).empty());
}

TEST_F(UpdaterThreaded, ACancelledDownloadIsAvailableAgainWithNoArchive)
{
    ServeLatest(R"({"build":85,"bytes":5000})");
    ServeArchive("never sent");
    ASSERT_EQ(Check().state, State::Available);
    DoubleFaults stall;
    stall.stall = true;
    double_.SetFaults(stall);
    updater_.Download();
    double_.WaitForRequests(2);
    EXPECT_EQ(updater_.GetStatus().state, State::Downloading);

    // Neither a new check nor a second download starts while this one runs.
    updater_.CheckForUpdate("127.0.0.1", double_.Port(), double_.Pin());
    updater_.Download();
    EXPECT_EQ(updater_.GetStatus().state, State::Downloading);

    updater_.Cancel();
    const net::Updater::Status status = Settle();
    EXPECT_EQ(status.state, State::Available);
    EXPECT_EQ(status.message, "Download stopped.");
    EXPECT_EQ(status.bytesDone, 0u);
    EXPECT_TRUE(FilesIn(UpdateFolder()).empty());
    double_.ClearFaults();
    EXPECT_EQ(RequestsFor("/api/build/latest"), 1u);
    EXPECT_EQ(RequestsFor("/api/build/download"), 1u);
}

TEST_F(UpdaterThreaded, DownloadAndInstallDoNothingInOtherStates)
{
    updater_.Download();
    EXPECT_FALSE(updater_.Install());
    EXPECT_EQ(updater_.GetStatus().state, State::Idle);

    ServeLatest(R"({"build":84})");
    ASSERT_EQ(Check().state, State::UpToDate);
    updater_.Download();
    EXPECT_FALSE(updater_.Install());
    EXPECT_EQ(updater_.GetStatus().state, State::UpToDate);

    ServeLatest(R"({"build":85})");
    ASSERT_EQ(Check().state, State::Available);
    EXPECT_FALSE(updater_.Install());
    EXPECT_EQ(updater_.GetStatus().state, State::Available);
    EXPECT_EQ(RequestsFor("/api/build/download"), 0u);
    EXPECT_FALSE(std::filesystem::exists(UpdateFolder()));
}

TEST_F(UpdaterThreaded, AnUpdateFolderThatIsALinkIsRefused)
{
    const std::string elsewhere = folder_.Path() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    ASSERT_EQ(symlink(elsewhere.c_str(), UpdateFolder().c_str()), 0);
    ServeLatest(R"({"build":85})");
    ServeArchive("bytes");
    ASSERT_EQ(Check().state, State::Available);
    updater_.Download();
    const net::Updater::Status status = updater_.GetStatus();
    EXPECT_EQ(status.state, State::Failed);
    EXPECT_EQ(status.message, "Nowhere to download to.");
    EXPECT_TRUE(FilesIn(elsewhere).empty());
    EXPECT_EQ(RequestsFor("/api/build/download"), 0u);
}

TEST_F(UpdaterThreaded, StoppingDuringAStalledCheckEndsIt)
{
    DoubleFaults stall;
    stall.stall = true;
    double_.SetFaults(stall);
    {
        net::Updater updater;
        updater.CheckForUpdate("127.0.0.1", double_.Port(), double_.Pin());
        double_.WaitForRequests(1);
        // The destructor aborts the request and joins; without the abort it would wait for the stall.
    }
    updater_.CheckForUpdate("127.0.0.1", double_.Port(), double_.Pin());
    double_.WaitForRequests(2);
    updater_.Cancel();
    const net::Updater::Status status = Settle();
    EXPECT_EQ(status.state, State::Failed);
    EXPECT_EQ(status.message, "The request was stopped.");
}

TEST_F(UpdaterThreaded, AnInstallThatCannotStartFails)
{
    ServeLatest(R"({"build":85})");
    ServeArchive("bytes");
    const struct {
        std::string installFolder;
        std::string shell;
        const char* message;
    } cases[] = {
        {"", "/bin/sh", "Could not work out where to install it."},
        {install_, folder_.Path() + "/no_shell_here", "Could not start the installer (error 2)."},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Check().state, State::Available);
        updater_.Download();
        ASSERT_EQ(Settle().state, State::Ready);
        updater_.places.installFolder = c.installFolder;
        updater_.places.shell = c.shell;
        EXPECT_FALSE(updater_.Install());
        const net::Updater::Status status = updater_.GetStatus();
        EXPECT_EQ(status.state, State::Failed);
        EXPECT_EQ(status.message, c.message);
    }
}

// A process standing in for the running game, ended by the test.
struct StandIn {
    pid_t pid = -1;
    StandIn()
    {
        char program[] = "sleep";
        char seconds[] = "60";
        char* argv[] = {program, seconds, nullptr};
        if (posix_spawnp(&pid, "sleep", nullptr, nullptr, argv, environ) != 0) pid = -1;
    }
    void End()
    {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~StandIn() { End(); }
};

TEST_F(UpdaterThreaded, TheInstallerWaitsForTheGameThenInstallsAndRelaunches)
{
    const std::string relaunch = "#!/bin/sh\necho relaunched > \"$(dirname \"$0\")/relaunched.txt\"\n";
    const std::string archive = MakeZip(folder_.Path(), {{"Zell-War/zellwar", relaunch},
                                                         {"Zell-War/maps/new map.txt", "new"}});
    ASSERT_FALSE(archive.empty());
    testsupport::WriteTextFile(install_ + "/zellwar", "old program");
    testsupport::WriteTextFile(install_ + "/config.txt", "kept");
    // A quote in the installation's path must not break the script.
    const std::string quotedInstall = folder_.Path() + "/Zell's War";
    std::filesystem::rename(install_, quotedInstall);
    updater_.places.installFolder = quotedInstall;

    StandIn game;
    ASSERT_GT(game.pid, 0);
    updater_.places.awaitedPid = game.pid;
    ASSERT_EQ(CheckAndDownload(R"({"build":85})", archive).state, State::Ready);
    ASSERT_TRUE(updater_.Install());
    EXPECT_EQ(updater_.GetStatus().state, State::Ready);

    const std::string log = UpdateFolder() + "/install.log";
    ASSERT_TRUE(WaitUntil([&] {
        return testsupport::ReadTextFile(log).find("Waiting for the game to close...") != std::string::npos;
    }));
    // While the game runs, nothing is touched.
    EXPECT_EQ(testsupport::ReadTextFile(quotedInstall + "/zellwar"), "old program");

    game.End();
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(quotedInstall + "/relaunched.txt"); }))
        << testsupport::ReadTextFile(log);
    EXPECT_EQ(testsupport::ReadTextFile(quotedInstall + "/zellwar"), relaunch);
    EXPECT_TRUE(IsExecutable(quotedInstall + "/zellwar"));
    EXPECT_EQ(testsupport::ReadTextFile(quotedInstall + "/maps/new map.txt"), "new");
    EXPECT_EQ(testsupport::ReadTextFile(quotedInstall + "/config.txt"), "kept");
    EXPECT_EQ(testsupport::ReadTextFile(quotedInstall + "/relaunched.txt"), "relaunched\n");
    ASSERT_TRUE(WaitUntil([&] { return testsupport::ReadTextFile(log).find("Done.") != std::string::npos; }));
    EXPECT_FALSE(std::filesystem::exists(UpdateFolder() + "/Zell-War.zip"));
    EXPECT_FALSE(std::filesystem::exists(UpdateFolder() + "/staged"));
}

TEST_F(UpdaterThreaded, AnArchiveWithoutTheGameLeavesTheInstallationUntouched)
{
    const std::string archive = MakeZip(folder_.Path(), {{"Zell-War/readme.txt", "no program"}});
    ASSERT_FALSE(archive.empty());
    testsupport::WriteTextFile(install_ + "/zellwar", "old program");
    ASSERT_EQ(CheckAndDownload(R"({"build":85})", archive).state, State::Ready);
    ASSERT_TRUE(updater_.Install());

    const std::string log = UpdateFolder() + "/install.log";
    ASSERT_TRUE(WaitUntil([&] {
        return testsupport::ReadTextFile(log).find("The download is still at:") != std::string::npos;
    }));
    EXPECT_NE(testsupport::ReadTextFile(log).find(
                  "The archive does not hold Zell-War/zellwar, so the installation is left untouched."),
              std::string::npos);
    EXPECT_EQ(FilesIn(install_), std::vector<std::string>{"zellwar"});
    EXPECT_EQ(testsupport::ReadTextFile(install_ + "/zellwar"), "old program");
    EXPECT_TRUE(std::filesystem::exists(UpdateFolder() + "/Zell-War.zip"));
}

TEST(SafeArchiveName, KeepsOnlySafeCharacters)
{
    const struct {
        const char* name;
        const char* kept;
    } cases[] = {
        {"Zell-War_85.zip", "Zell-War_85.zip"},
        {"a/b\\c d.zip", "abcd.zip"},
        {"..", "Zell-War.zip"},
        {"/", "Zell-War.zip"},
        {"install.sh", "Zell-War.zip"},
        {"\xc3\xa9t\xc3\xa9.zip", "t.zip"},
    };
    for (const auto& c : cases) EXPECT_EQ(net::SafeArchiveName(c.name), c.kept) << c.name;
    EXPECT_EQ(net::SafeArchiveName(std::string(300, 'a')), std::string(128, 'a'));
}

TEST(FileSha256, GivesTheKnownDigestAndNothingForAMissingFile)
{
    testsupport::TempFolder folder;
    testsupport::WriteTextFile(folder.Path() + "/abc", "abc");
    EXPECT_EQ(net::FileSha256(folder.Path() + "/abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(net::FileSha256(folder.Path() + "/missing"), "");
}

}  // namespace updater_test
