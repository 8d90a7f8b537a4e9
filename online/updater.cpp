#include "online/updater.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "net/protocol.h"
#include "online/file_sha256.h"
#include "online/https_download.h"
#include "online/https_transport.h"
#include "online/install_script.h"
#include "online/reply_fields.h"
#include "online/update_folder.h"
#include "platform/detached_process.h"
#include "platform/executable_path.h"
#include "platform/temp_directory.h"

namespace net {

namespace {

HttpsEndpoint EndpointOf(const std::string& host, uint32_t port, const std::string& pin)
{
    HttpsEndpoint endpoint;
    endpoint.host = host;
    endpoint.port = static_cast<uint16_t>(port);
    endpoint.pin = pin;
    return endpoint;
}

std::string LowerCase(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

UpdatePlaces DefaultUpdatePlaces()
{
    UpdatePlaces places;
    places.tempFolder = TempDirectory();
    const std::string executable = ExecutablePath();
    const size_t slash = executable.rfind('/');
    if (slash != std::string::npos) {
        places.installFolder = executable.substr(0, slash);
    }
    places.awaitedPid = getpid();
    return places;
}

Updater::Updater() : places(DefaultUpdatePlaces()) {}

Updater::~Updater()
{
    Cancel();
    if (thread.joinable()) {
        thread.join();
    }
}

void Updater::CheckForUpdate(const std::string& serviceHost, uint32_t servicePort, const std::string& servicePin)
{
    if (busy.exchange(true)) {
        return;
    }
    if (thread.joinable()) {
        thread.join();
    }
    stop = false;
    host = serviceHost;
    port = servicePort;
    pin = servicePin;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        state = State::Idle;
        latestBuild = 0;
        bytesDone = 0;
        bytesTotal = 0;
        message.clear();
        state = State::Checking;
        message = "Checking for a newer build...";
    }
    thread = std::thread(&Updater::RunCheck, this);
}

void Updater::RunCheck()
{
    const HttpResponse response = HttpsGet(EndpointOf(host, port, pin), "/api/build/latest", std::string(), &stop);
    const std::lock_guard<std::mutex> lock(mutex);
    if (!response.error.empty() || response.status < 200 || response.status > 299) {
        state = State::Failed;
        message = response.error.empty() ? "The update server did not answer." : response.error;
        std::printf("[updater] check failed: %s\n", message.c_str());
    } else {
        const std::string& reply = response.body;
        // A number that a build cannot be (negative, or wider than 32 bits) names no build.
        const int64_t build = ReplyInteger(reply, "build", 0);
        latestBuild = build >= 0 && build <= int64_t{UINT32_MAX} ? static_cast<uint32_t>(build) : 0;
        sha256 = LowerCase(ReplyString(reply, "sha256"));
        const std::string name = ReplyString(reply, "name");
        archiveName = name.empty() ? "Zell-War.zip" : SafeArchiveName(name);
        const int64_t bytes = ReplyInteger(reply, "bytes", 0);
        bytesTotal = bytes > 0 ? static_cast<uint64_t>(bytes) : 0;
        if (latestBuild == 0) {
            state = State::UpToDate;
            message = "No build has been published yet.";
        } else if (latestBuild > kBuildNumber) {
            state = State::Available;
            message = "A newer build is available.";
        } else {
            state = State::UpToDate;
            message = "You have the latest build.";
        }
        std::printf("[updater] the service offers build %u\n", latestBuild);
    }
    busy = false;
}

void Updater::Download()
{
    std::string name;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (state != State::Available) {
            return;
        }
        name = archiveName;
    }
    if (busy.exchange(true)) {
        return;
    }
    if (thread.joinable()) {
        thread.join();
    }
    stop = false;
    const std::string folder = PrepareUpdateFolder(places.tempFolder);
    if (folder.empty()) {
        const std::lock_guard<std::mutex> lock(mutex);
        state = State::Failed;
        message = "Nowhere to download to.";
        busy = false;
        return;
    }
    archivePath = folder + "/" + name;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        state = State::Downloading;
        bytesDone = 0;
        message = "Downloading...";
    }
    thread = std::thread(&Updater::RunDownload, this);
}

void Updater::RunDownload()
{
    const auto progress = [this](uint64_t done, uint64_t total) {
        const std::lock_guard<std::mutex> lock(mutex);
        bytesDone = done;
        if (total != 0) {
            bytesTotal = total;
        }
        return !stop;
    };
    const HttpResponse response =
        HttpsDownload(EndpointOf(host, port, pin), "/api/build/download", archivePath, progress, &stop);
    std::string promised;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (stop) {
            // A stop that came after the last byte still leaves no archive behind.
            std::error_code ignored;
            std::filesystem::remove(archivePath, ignored);
            state = State::Available;
            message = "Download stopped.";
            bytesDone = 0;
            busy = false;
            return;
        }
        if (!response.error.empty()) {
            state = State::Failed;
            message = response.error;
            std::printf("[updater] download failed: %s\n", message.c_str());
            busy = false;
            return;
        }
        state = State::Verifying;
        message = "Checking the download...";
        promised = sha256;
    }
    const std::string digest = FileSha256(archivePath);
    const std::lock_guard<std::mutex> lock(mutex);
    if (promised.empty()) {
        state = State::Ready;
        message = "Ready to install.";
    } else if (digest.empty()) {
        state = State::Failed;
        message = "Could not check the download.";
    } else if (digest == promised) {
        state = State::Ready;
        message = "Ready to install.";
    } else {
        std::error_code ignored;
        std::filesystem::remove(archivePath, ignored);
        state = State::Failed;
        message = "The download did not match what the server promised.";
        std::printf("[updater] the download's SHA-256 %s is not the promised %s\n", digest.c_str(),
                    promised.c_str());
    }
    busy = false;
}

bool Updater::Install()
{
    std::string archive;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (state != State::Ready) {
            return false;
        }
        archive = archivePath;
    }
    const std::string folder = places.installFolder.empty() ? std::string() : PrepareUpdateFolder(places.tempFolder);
    if (places.installFolder.empty() || folder.empty()) {
        const std::lock_guard<std::mutex> lock(mutex);
        state = State::Failed;
        message = "Could not work out where to install it.";
        return false;
    }
    InstallScriptPaths paths;
    paths.archive = archive;
    paths.staging = folder + "/staged";
    paths.installFolder = places.installFolder;
    paths.log = folder + "/install.log";
    const std::string script = folder + "/install.sh";
    if (!WriteInstallScript(script, InstallScriptText(paths, places.awaitedPid))) {
        std::printf("[updater] could not write %s: %s\n", script.c_str(), std::strerror(errno));
        const std::lock_guard<std::mutex> lock(mutex);
        state = State::Failed;
        message = "Could not write the installer script.";
        return false;
    }
    const int failure = StartDetachedProcess(places.shell, {script}, folder);
    if (failure != 0) {
        std::printf("[updater] could not start %s: %s\n", places.shell.c_str(), std::strerror(failure));
        char text[128];
        std::snprintf(text, sizeof text, "Could not start the installer (error %d).", failure);
        const std::lock_guard<std::mutex> lock(mutex);
        state = State::Failed;
        message = text;
        return false;
    }
    std::printf("[updater] the installer runs: %s\n", script.c_str());
    return true;
}

void Updater::Cancel()
{
    stop = true;
}

Updater::Status Updater::GetStatus() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    Status status;
    status.state = state;
    status.latestBuild = latestBuild;
    status.bytesDone = bytesDone;
    status.bytesTotal = bytesTotal;
    status.message = message;
    return status;
}

}  // namespace net
