#pragma once
// A stand-in for the account and update services: an HTTPS server on 127.0.0.1 with a key made at
// start, whose pin the client is given. It serves a table of handlers (method and path), logs every
// request whole for the tests to inspect, and can be switched to misbehave: another status, a body
// that is not JSON or too large, a reply that never comes, a connection closed early, a
// Content-Length that promises more than is sent, and certificates that are expired, name another
// host or hold another key. It runs on threads of its own and stops in its destructor.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "online/https_transport.h"

namespace testsupport {

struct LoggedRequest {
    std::string method;
    std::string path;    // without the query
    std::string target;  // as on the request line, query included
    std::multimap<std::string, std::string> query;
    std::vector<std::pair<std::string, std::string>> headers;  // as received, sorted by name
    std::string body;

    // The first value of the header `name` (any case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

struct DoubleReply {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // more headers, e.g. Location
    // When set, the body is `generatedBytes` bytes of GeneratedByte, made while sending (so a
    // download of any size costs the double no memory) and `body` is ignored.
    bool generated = false;
    uint64_t generatedBytes = 0;
    // Sent in chunks, so the reply carries no Content-Length.
    bool withoutLength = false;
};

// A reply of `status` with a JSON `body`.
DoubleReply JsonReply(std::string body, int status = 200);

// What goes wrong, for the next `times` requests (-1: every request until changed).
struct DoubleFaults {
    int status = 0;                 // answer with this status instead (0: the handler's)
    bool notJson = false;           // replace the body with text that is not JSON
    uint64_t oversizeBytes = 0;     // replace the body with JSON of exactly this many bytes (0: off)
    bool stall = false;             // hold the reply until the stall is lifted or the double stops
    bool earlyClose = false;        // send the status line and headers, then close
    bool shortContentLength = false;  // announce one byte more than the body, send the body, close
    int times = -1;
};

enum class DoubleCertificate {
    SelfSigned,  // names localhost and 127.0.0.1, valid now: untrusted only for being self-signed
    Expired,
    WrongName,
    OtherKey,    // valid, but a second key: the pin the double reports does not match it
};

class AccountDouble {
public:
    using Handler = std::function<DoubleReply(const LoggedRequest&)>;

    // Makes the keys and certificates and installs the transport test routes (see transport_routes.h).
    AccountDouble();
    ~AccountDouble();
    AccountDouble(const AccountDouble&) = delete;
    AccountDouble& operator=(const AccountDouble&) = delete;

    // Binds 127.0.0.1 on `port` (0: any free port) and serves on its own thread. False, with a
    // line on standard error, when the keys could not be made or the port not bound.
    bool Start(uint16_t port = 0);
    // Lifts any stall and waits for the server's threads. Safe to call twice.
    void Stop();

    uint16_t Port() const;
    // The pin of the double's own key (the one every certificate but OtherKey carries).
    const std::string& Pin() const;
    // 127.0.0.1, the port and the pin: what a client configured for this double uses.
    net::HttpsEndpoint Endpoint() const;

    // Adds or replaces the handler of `method` and `path` (path without query). Requests that no
    // handler takes get 404 with {"error":"not_found"}. Handlers run on the server's threads.
    void Handle(const std::string& method, const std::string& path, Handler handler);

    void ServeCertificate(DoubleCertificate certificate);
    void SetFaults(const DoubleFaults& faults);
    // Lifts every fault, a stall included.
    void ClearFaults();

    std::vector<LoggedRequest> Requests() const;
    size_t RequestCount() const;
    // Returns once `count` requests have arrived in all (or the double stops).
    void WaitForRequests(size_t count) const;
    void ClearRequests();
    // Prints one "[double] ..." line per request on standard output (for the stand-alone program).
    void PrintRequests(bool print);

    // The bytes of a generated body: a pattern with a period that no buffer size divides, so a
    // lost, repeated or shifted chunk shows.
    static uint8_t GeneratedByte(uint64_t offset) { return static_cast<uint8_t>(offset % 251); }
    static std::string GeneratedBytes(uint64_t count);

private:
    struct Inner;
    std::unique_ptr<Inner> inner_;
};

// Stalls every reply of `double_` and starts a thread that sets `abort` once the first request
// is held: the way to catch a client in the middle of an exchange. The caller joins the thread.
std::thread AbortOnceStalled(AccountDouble& double_, std::atomic<bool>& abort);

}  // namespace testsupport
