#include "support/account_double/transport_routes.h"

#include <cstdlib>

namespace testsupport {

void AddTransportRoutes(AccountDouble& double_) {
    double_.Handle("POST", "/test/echo", [](const LoggedRequest& request) {
        return JsonReply(request.body.empty() ? "{}" : request.body);
    });
    double_.Handle("GET", "/test/hello", [](const LoggedRequest&) { return JsonReply("{\"ok\":true}"); });
    double_.Handle("GET", "/test/bytes", [](const LoggedRequest& request) {
        const auto count = request.query.find("count");
        const auto chunked = request.query.find("chunked");
        DoubleReply reply;
        reply.contentType = "application/octet-stream";
        reply.generated = true;
        reply.generatedBytes = count == request.query.end() ? 0 : std::strtoull(count->second.c_str(), nullptr, 10);
        reply.withoutLength = chunked != request.query.end() && chunked->second == "1";
        return reply;
    });
}

}  // namespace testsupport
