#include "online/https_download.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include "online/https_exchange.h"

namespace net {
namespace {

// libcurl's receive buffer: every chunk handed to the file is at most this long.
constexpr size_t kChunkBytes = 65536;

struct DownloadSink {
    const std::string* targetFile = nullptr;
    const DownloadProgress* progress = nullptr;
    CURL* handle = nullptr;
    std::string partPath;
    FILE* file = nullptr;
    uint64_t done = 0;
    uint64_t total = 0;
    bool refusedStatus = false;
    bool openFailed = false;
    bool writeFailed = false;
    bool cancelled = false;
};

// The temporary file is made beside the target (same file system, so the rename cannot copy) under
// a fresh name, never following a link someone left in the folder.
bool OpenPartFile(DownloadSink& sink) {
    sink.partPath = *sink.targetFile + ".part-XXXXXX";
    const int descriptor = mkstemp(sink.partPath.data());
    if (descriptor < 0) {
        sink.partPath.clear();
        return false;
    }
    sink.file = fdopen(descriptor, "wb");
    if (!sink.file) {
        ::close(descriptor);
        std::remove(sink.partPath.c_str());
        sink.partPath.clear();
        return false;
    }
    return true;
}

bool OnDownloadHeaders(DownloadSink& sink, int32_t status) {
    if (status < 200 || status > 299) {
        sink.refusedStatus = true;
        return false;
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(sink.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length > 0) {
        sink.total = static_cast<uint64_t>(length);
    }
    if (!OpenPartFile(sink)) {
        sink.openFailed = true;
        return false;
    }
    return true;
}

size_t OnDownloadBytes(char* data, size_t size, size_t count, void* self) {
    auto& sink = *static_cast<DownloadSink*>(self);
    const size_t length = size * count;
    if (!sink.file) return 0;
    if (std::fwrite(data, 1, length, sink.file) != length) {
        sink.writeFailed = true;
        return 0;
    }
    sink.done += length;
    if (*sink.progress && !(*sink.progress)(sink.done, sink.total)) {
        sink.cancelled = true;
        return 0;
    }
    return length;
}

// After a 2xx status the old file under the target name counts as replaced: a failure from there
// on leaves no file at all, so that nobody takes a stale or partial file for the new one.
void DiscardDownload(DownloadSink& sink) {
    if (sink.file) std::fclose(sink.file);
    sink.file = nullptr;
    if (!sink.partPath.empty()) std::remove(sink.partPath.c_str());
    std::remove(sink.targetFile->c_str());
}

std::string FailureSentence(const DownloadSink& sink, ExchangeFailure failure) {
    if (sink.cancelled) return "";
    if (sink.refusedStatus) return "The update server had nothing to give.";
    if (sink.openFailed) return "Could not write the download to disk.";
    if (sink.writeFailed) return "Ran out of room while saving the download.";
    switch (failure) {
    case ExchangeFailure::Stopped:
        return "";
    case ExchangeFailure::NotStarted:
        return "Could not start a secure connection.";
    case ExchangeFailure::NotBuilt:
        return "Could not build the request.";
    case ExchangeFailure::WrongKey:
        return "The update server's identity did not match.";
    case ExchangeFailure::Unreachable:
    case ExchangeFailure::SendFailed:
        return "Could not reach the update server.";
    case ExchangeFailure::NoReply:
        return "No reply from the update server.";
    case ExchangeFailure::ReplyCut:
        break;
    }
    if (sink.total != 0 && sink.done != sink.total) return "The download stopped early.";
    return "The connection dropped during the download.";
}

}  // namespace

HttpResponse HttpsDownload(const HttpsEndpoint& endpoint, const std::string& path, const std::string& targetFile,
                           const DownloadProgress& progress, const std::atomic<bool>* abort) {
    HttpResponse response;
    HttpsExchange exchange;
    if (!exchange.Started()) {
        response.error = "Could not start a secure connection.";
        return response;
    }

    DownloadSink sink;
    sink.targetFile = &targetFile;
    sink.progress = &progress;
    sink.handle = exchange.Handle();
    exchange.onReplyHeaders = [&] { return OnDownloadHeaders(sink, exchange.Status()); };

    const ExchangeTimeouts timeouts{.resolveMs = 10000, .connectMs = 15000, .sendMs = 30000, .receiveMs = 30000};
    bool built = !targetFile.empty() && exchange.Prepare(endpoint, path, timeouts, abort);
    built = built && curl_easy_setopt(sink.handle, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    built = built && curl_easy_setopt(sink.handle, CURLOPT_WRITEFUNCTION, &OnDownloadBytes) == CURLE_OK;
    built = built && curl_easy_setopt(sink.handle, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
    built = built && curl_easy_setopt(sink.handle, CURLOPT_BUFFERSIZE, static_cast<long>(kChunkBytes)) == CURLE_OK;
    built = built && exchange.AddHeader("Accept:");
    if (!built) {
        response.error = "Could not build the request.";
        return response;
    }

    const CURLcode code = exchange.Perform();
    response.status = exchange.Status();
    if (code != CURLE_OK) {
        response.error = FailureSentence(sink, exchange.Failure(code));
        if (!sink.refusedStatus && exchange.ReplyHeadersSeen()) DiscardDownload(sink);
        return response;
    }
    if (sink.total != 0 && sink.done != sink.total) {
        DiscardDownload(sink);
        response.error = "The download stopped early.";
        return response;
    }
    if (!sink.file) {  // the reply's headers open it; this is only a guard
        response.error = "Could not write the download to disk.";
        return response;
    }
    const bool flushed = std::fclose(sink.file) == 0;
    sink.file = nullptr;
    if (!flushed) {
        DiscardDownload(sink);
        response.error = "Ran out of room while saving the download.";
        return response;
    }
    if (std::rename(sink.partPath.c_str(), targetFile.c_str()) != 0) {
        DiscardDownload(sink);
        response.error = "Could not write the download to disk.";
    }
    return response;
}

}  // namespace net
