#pragma once
// A file fetched from the update service straight to disk through one 64 KiB buffer, so an archive
// of any size costs no more memory than that and no overall time limit applies. The file appears
// under its name only once the whole body has arrived after a 2xx status: it is written under a
// temporary name beside the target and renamed at the end. A failure or a cancel after a 2xx status
// leaves neither the temporary file nor a file under the target name.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "online/https_transport.h"

namespace net {

// Called after every chunk written with the bytes done and the announced total (0 when the
// reply did not say); false cancels the download.
using DownloadProgress = std::function<bool(uint64_t done, uint64_t total)>;

// A GET without extra headers. The reply's `body` stays empty. A cancel (by `progress` or by
// `abort`) returns an empty `error` with the file removed: the caller knows it asked to stop.
HttpResponse HttpsDownload(const HttpsEndpoint& endpoint, const std::string& path, const std::string& targetFile,
                           const DownloadProgress& progress, const std::atomic<bool>* abort = nullptr);

}  // namespace net
