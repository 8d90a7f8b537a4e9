// The account service's update side: the published build and its archive.
#include "support/account_double/account_service.h"
#include "support/account_double/service_messages.h"

namespace testsupport {

DoubleReply AccountService::LatestBuild(const LoggedRequest&) {
    std::lock_guard lock(mutex_);
    if (build_ == 0) return JsonReply(JsonObject().Int("build", 0).Close());
    return JsonReply(JsonObject()
                         .Int("build", build_)
                         .Text("sha256", buildSha256_)
                         .Text("name", buildName_)
                         .Int("bytes", static_cast<int64_t>(buildBytes_))
                         .Close());
}

DoubleReply AccountService::DownloadBuild(const LoggedRequest&) {
    std::lock_guard lock(mutex_);
    if (build_ == 0) return ErrorReply(404, "no_build", "No build has been published.");
    DoubleReply reply;
    reply.contentType = "application/zip";
    reply.generated = true;
    reply.generatedBytes = buildBytes_;
    return reply;
}

}  // namespace testsupport
