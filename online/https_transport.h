#pragma once
// One synchronous HTTPS exchange with the account service: a JSON body out, the status and at most
// 256 KiB of reply back, and one sentence for the player when it fails. Each call owns everything
// it opens, so calls keep no state between them and may run on any thread. The caller judges the
// status; a non-2xx reply with an empty `error` is a completed exchange.
//
// When the endpoint names a pin, the server's public key is checked during the TLS handshake and
// the certificate's chain, name and dates are not: the pin takes their place, so the service may
// sign its own certificate. A key that does not match ends the exchange before a single byte of
// the request (token or password) has left. Without a pin the system's trusted authorities apply.
#include <atomic>
#include <cstdint>
#include <string>

namespace net {

// Where a request goes; built by value for every request from the account or updater settings.
struct HttpsEndpoint {
    std::string host;   // host name or IPv4 address
    uint16_t port = 0;
    std::string pin;    // the expected public-key pin (see PublicKeyPin); empty: no pinning
};

struct HttpResponse {
    int32_t status = 0;  // 0 when no complete reply header arrived
    std::string body;    // may hold a partial body when `error` is set
    std::string error;   // empty when the exchange completed; else one sentence for the player
};

// The largest reply body taken; one byte more fails the exchange.
constexpr size_t kMaxReplyBytes = 262144;

// `method` is "GET" or "POST"; `path` holds any query; an empty `token` sends no Authorization
// header. `abort`, when given, ends the exchange within about a second of being set (from another
// thread), so that shutting down never waits out a stalled server.
HttpResponse HttpsRequest(const HttpsEndpoint& endpoint, const char* method, const std::string& path,
                          const std::string& body, const std::string& token,
                          const std::atomic<bool>* abort = nullptr);
HttpResponse HttpsGet(const HttpsEndpoint& endpoint, const std::string& path, const std::string& token,
                      const std::atomic<bool>* abort = nullptr);
HttpResponse HttpsPost(const HttpsEndpoint& endpoint, const std::string& path, const std::string& body,
                       const std::string& token, const std::atomic<bool>* abort = nullptr);

}  // namespace net
