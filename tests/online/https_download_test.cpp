#include "online/https_download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/account_double/account_double.h"
#include "support/temp_folder.h"

namespace {

using testsupport::AccountDouble;
using testsupport::DoubleCertificate;
using testsupport::DoubleFaults;

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

struct ProgressLog {
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    net::DownloadProgress Callback() {
        return [this](uint64_t done, uint64_t total) {
            calls.emplace_back(done, total);
            return true;
        };
    }
};

class HttpsDownloadTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(double_.Start()); }

    std::string Target() const { return folder_.Path() + "/update.zip"; }

    AccountDouble double_;
    testsupport::TempFolder folder_;
};

TEST_F(HttpsDownloadTest, WritesTheWholeBodyWithOrWithoutItsLength) {
    const uint64_t size = 300007;  // several chunks, none of them full at the end
    for (const bool chunked : {false, true}) {
        ProgressLog progress;
        const std::string path = "/test/bytes?count=" + std::to_string(size) + (chunked ? "&chunked=1" : "");
        const net::HttpResponse response = net::HttpsDownload(double_.Endpoint(), path, Target(), progress.Callback());
        EXPECT_EQ(response.error, "") << chunked;
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.body, "");
        EXPECT_EQ(testsupport::ReadTextFile(Target()), AccountDouble::GeneratedBytes(size));
        EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::string>{"update.zip"});

        ASSERT_FALSE(progress.calls.empty());
        EXPECT_EQ(progress.calls.back(), std::make_pair(size, chunked ? uint64_t{0} : size));
        for (size_t i = 1; i < progress.calls.size(); ++i) {
            EXPECT_GT(progress.calls[i].first, progress.calls[i - 1].first);
            EXPECT_LE(progress.calls[i].first - progress.calls[i - 1].first, 65536u);
        }
    }
}

TEST_F(HttpsDownloadTest, AnEmptyBodyGivesAnEmptyFile) {
    const net::HttpResponse response = net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=0", Target(), {});
    EXPECT_EQ(response.error, "");
    EXPECT_TRUE(std::filesystem::exists(Target()));
    EXPECT_EQ(std::filesystem::file_size(Target()), 0u);
}

TEST_F(HttpsDownloadTest, FailuresLeaveNoFile) {
    DoubleFaults shortLength;
    shortLength.shortContentLength = true;
    DoubleFaults cutChunks;
    cutChunks.earlyClose = true;
    DoubleFaults missing;
    missing.status = 404;
    const struct {
        DoubleFaults faults;
        std::string path;
        int32_t status;
        const char* error;
    } cases[] = {
        {shortLength, "/test/bytes?count=100000", 200, "The download stopped early."},
        {cutChunks, "/test/bytes?count=100000&chunked=1", 200, "The connection dropped during the download."},
        {missing, "/test/bytes?count=100", 404, "The update server had nothing to give."},
    };
    for (const auto& c : cases) {
        double_.SetFaults(c.faults);
        testsupport::WriteTextFile(Target(), "an older archive");
        const net::HttpResponse response = net::HttpsDownload(double_.Endpoint(), c.path, Target(), {});
        EXPECT_EQ(response.error, c.error);
        EXPECT_EQ(response.status, c.status);
        const bool replaced = c.status == 200;
        // A 2xx status replaces the old file; a refusal leaves it as it was.
        const auto left = replaced ? std::vector<std::string>{} : std::vector<std::string>{"update.zip"};
        EXPECT_EQ(FilesIn(folder_.Path()), left) << c.error;
        std::filesystem::remove(Target());
    }
}

TEST_F(HttpsDownloadTest, ACancelReturnsNoErrorAndNoFile) {
    int calls = 0;
    const net::HttpResponse response =
        net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=1000000", Target(), [&](uint64_t, uint64_t) {
            return ++calls < 3;
        });
    EXPECT_EQ(response.error, "");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(FilesIn(folder_.Path()).empty());
}

TEST_F(HttpsDownloadTest, AStalledDownloadEndsWhenAbortedAndLeavesNoFile) {
    std::atomic<bool> abort{false};
    std::thread stopper = testsupport::AbortOnceStalled(double_, abort);
    const net::HttpResponse response =
        net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=10", Target(), {}, &abort);
    stopper.join();
    EXPECT_EQ(response.error, "");
    EXPECT_TRUE(FilesIn(folder_.Path()).empty());
}

TEST_F(HttpsDownloadTest, AWrongKeyIsRefusedBeforeAnyRequest) {
    double_.ServeCertificate(DoubleCertificate::OtherKey);
    const net::HttpResponse response = net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=10", Target(), {});
    EXPECT_EQ(response.error, "The update server's identity did not match.");
    EXPECT_EQ(double_.RequestCount(), 0u);
    EXPECT_TRUE(FilesIn(folder_.Path()).empty());
}

TEST_F(HttpsDownloadTest, SendsNoHeadersOfItsOwn) {
    net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=1", Target(), {});
    const auto requests = double_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].headers.size(), 2u);  // Host and User-Agent
    EXPECT_EQ(requests[0].Header("User-Agent"), "ZellWar/1.0");
}

TEST_F(HttpsDownloadTest, AFolderThatIsNotThereCannotBeWritten) {
    const std::string target = folder_.Path() + "/missing/update.zip";
    const net::HttpResponse response = net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=10", target, {});
    EXPECT_EQ(response.error, "Could not write the download to disk.");
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() + "/missing"));
}

TEST_F(HttpsDownloadTest, NobodyListeningCannotBeReached) {
    const net::HttpsEndpoint endpoint = double_.Endpoint();
    double_.Stop();
    EXPECT_EQ(net::HttpsDownload(endpoint, "/test/bytes?count=10", Target(), {}).error,
              "Could not reach the update server.");
}

}  // namespace
