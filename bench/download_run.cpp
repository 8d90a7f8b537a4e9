// A timed download of a large file from the account-service double over pinned HTTPS, into a
// temporary folder. Prints the throughput and the process's peak resident memory before and after,
// which should differ by little more than the transport's one buffer however large the file.
//
//   zw_download_run [--mib N]     (default 100)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <stdlib.h>

#include "online/https_download.h"
#include "support/account_double/account_double.h"

namespace {

// VmHWM: the most resident memory the process has held so far, in KiB.
long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    long mebibytes = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mib") == 0) mebibytes = std::strtol(argv[i + 1], nullptr, 10);
    }
    if (mebibytes < 1 || mebibytes > 65536) {
        std::fprintf(stderr, "[download] --mib takes 1..65536\n");
        return 1;
    }
    const uint64_t size = static_cast<uint64_t>(mebibytes) << 20;

    testsupport::AccountDouble double_;
    if (!double_.Start()) return 1;
    std::string folder = (std::filesystem::temp_directory_path() / "zw_download_XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::fprintf(stderr, "[download] cannot make a temporary folder\n");
        return 1;
    }
    const std::string target = folder + "/download.bin";

    const long peakBefore = PeakResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    const net::HttpResponse response =
        net::HttpsDownload(double_.Endpoint(), "/test/bytes?count=" + std::to_string(size), target, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peakAfter = PeakResidentKiB();

    std::error_code error;
    const uint64_t written = std::filesystem::file_size(target, error);
    std::filesystem::remove_all(folder, error);
    double_.Stop();
    if (!response.error.empty() || written != size) {
        std::fprintf(stderr, "[download] failed: status %d, %s, %llu of %llu bytes\n", response.status,
                     response.error.c_str(), static_cast<unsigned long long>(written),
                     static_cast<unsigned long long>(size));
        return 1;
    }
    std::printf("[download] %ld MiB in %.2f s: %.1f MiB/s; peak memory %.1f MiB (%.1f MiB before the download)\n",
                mebibytes, seconds, static_cast<double>(mebibytes) / seconds, static_cast<double>(peakAfter) / 1024.0,
                static_cast<double>(peakBefore) / 1024.0);
    return 0;
}
