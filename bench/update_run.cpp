// A whole update fetched by the self-updater from the account-service double: the check, a large
// archive downloaded into a temporary folder, and its SHA-256 checked. Prints how long each phase
// took and the hashing rate, with the process's peak resident memory.
//
//   zw_update_run [--mib N]     (default 100)
#include <openssl/evp.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "online/updater.h"
#include "support/account_double/account_double.h"

namespace {

using Clock = std::chrono::steady_clock;
using State = net::Updater::State;

long PeakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// The digest of the double's generated body of `size` bytes, made in pieces as it is sent.
std::string GeneratedDigest(uint64_t size)
{
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
    std::vector<uint8_t> chunk(65536);
    for (uint64_t done = 0; done < size;) {
        const uint64_t count = std::min<uint64_t>(chunk.size(), size - done);
        for (uint64_t i = 0; i < count; ++i) chunk[i] = testsupport::AccountDouble::GeneratedByte(done + i);
        EVP_DigestUpdate(context, chunk.data(), count);
        done += count;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context, digest, &length);
    EVP_MD_CTX_free(context);
    std::string text;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        text += pair;
    }
    return text;
}

// Polls until the updater leaves `state`; the time it left it, or the deadline.
Clock::time_point WaitWhile(const net::Updater& updater, State state, Clock::time_point deadline)
{
    while (updater.GetStatus().state == state && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return Clock::now();
}

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

int main(int argc, char** argv)
{
    long mebibytes = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mib") == 0) mebibytes = std::strtol(argv[i + 1], nullptr, 10);
    }
    if (mebibytes < 1 || mebibytes > 65536) {
        std::fprintf(stderr, "[update] --mib takes 1..65536\n");
        return 1;
    }
    const uint64_t size = static_cast<uint64_t>(mebibytes) << 20;
    const std::string digest = GeneratedDigest(size);

    testsupport::AccountDouble double_;
    if (!double_.Start()) return 1;
    const std::string reply = "{\"build\":85,\"name\":\"Zell-War.zip\",\"bytes\":" + std::to_string(size) +
                              ",\"sha256\":\"" + digest + "\"}";
    double_.Handle("GET", "/api/build/latest",
                   [reply](const testsupport::LoggedRequest&) { return testsupport::JsonReply(reply); });
    double_.Handle("GET", "/api/build/download", [size](const testsupport::LoggedRequest&) {
        testsupport::DoubleReply archive;
        archive.contentType = "application/zip";
        archive.generated = true;
        archive.generatedBytes = size;
        return archive;
    });
    std::string folder = (std::filesystem::temp_directory_path() / "zw_update_XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::fprintf(stderr, "[update] cannot make a temporary folder\n");
        return 1;
    }

    const Clock::time_point deadline = Clock::now() + std::chrono::minutes(10);
    const long peakBefore = PeakResidentKiB();
    net::Updater::Status status;
    double checkSeconds = 0.0;
    double downloadSeconds = 0.0;
    double verifySeconds = 0.0;
    {
        net::Updater updater;
        updater.places.tempFolder = folder;
        const Clock::time_point start = Clock::now();
        updater.CheckForUpdate("127.0.0.1", double_.Port(), double_.Pin());
        const Clock::time_point checked = WaitWhile(updater, State::Checking, deadline);
        updater.Download();
        const Clock::time_point downloaded = WaitWhile(updater, State::Downloading, deadline);
        const Clock::time_point verified = WaitWhile(updater, State::Verifying, deadline);
        status = updater.GetStatus();
        checkSeconds = Seconds(start, checked);
        downloadSeconds = Seconds(checked, downloaded);
        verifySeconds = Seconds(downloaded, verified);
    }
    const long peakAfter = PeakResidentKiB();
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    double_.Stop();
    if (status.state != State::Ready) {
        std::fprintf(stderr, "[update] failed in state %d: %s\n", static_cast<int>(status.state), status.message.c_str());
        return 1;
    }
    const double mib = static_cast<double>(mebibytes);
    std::printf("[update] check %.3f s; %ld MiB downloaded in %.2f s (%.1f MiB/s), checked in %.2f s (%.1f MiB/s); "
                "peak memory %.1f MiB (%.1f MiB before)\n",
                checkSeconds, mebibytes, downloadSeconds, mib / downloadSeconds, verifySeconds, mib / verifySeconds,
                static_cast<double>(peakAfter) / 1024.0, static_cast<double>(peakBefore) / 1024.0);
    return 0;
}
