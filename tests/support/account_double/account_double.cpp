#include "support/account_double/account_double.h"

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <strings.h>
#include <thread>

#include "online/public_key_pin.h"
#include "support/account_double/test_certificates.h"
#include "support/account_double/transport_routes.h"

namespace testsupport {
namespace {

constexpr size_t kWriteBytes = 65536;
constexpr long kDaySeconds = 86400;

// The generated pattern for any offset is a window into this table.
const std::array<uint8_t, kWriteBytes + 251>& PatternTable() {
    static const auto table = [] {
        std::array<uint8_t, kWriteBytes + 251> bytes{};
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = AccountDouble::GeneratedByte(i);
        return bytes;
    }();
    return table;
}

std::string JsonOfSize(uint64_t size) {
    const std::string open = "{\"pad\":\"";
    const std::string close = "\"}";
    if (size < open.size() + close.size()) return std::string(size, ' ');
    return open + std::string(size - open.size() - close.size(), 'x') + close;
}

// httplib files the peer's address among the headers; the log keeps what the client sent.
bool IsAddedByServer(const std::string& name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

DoubleFaults NoFaults() {
    DoubleFaults faults;
    faults.times = 0;
    return faults;
}

}  // namespace

DoubleReply JsonReply(std::string body, int status) {
    DoubleReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

std::string LoggedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
    }
    return {};
}

bool LoggedRequest::HasHeader(const std::string& name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return strcasecmp(header.first.c_str(), name.c_str()) == 0; });
}

struct AccountDouble::Inner {
    KeyPtr key;
    KeyPtr otherKey;
    std::array<CertificatePtr, 4> certificates;  // by DoubleCertificate
    std::string pin;
    std::atomic<int> served{static_cast<int>(DoubleCertificate::SelfSigned)};

    std::unique_ptr<httplib::SSLServer> server;
    std::thread thread;
    uint16_t port = 0;

    mutable std::mutex mutex;
    std::condition_variable stallLifted;
    mutable std::condition_variable requestArrived;
    std::map<std::pair<std::string, std::string>, Handler> handlers;
    DoubleFaults faults = NoFaults();
    bool stopping = false;
    bool print = false;
    std::vector<LoggedRequest> log;

    static int ChooseCertificate(SSL* ssl, void* self);
    void Serve(const httplib::Request& request, httplib::Response& response);
};

int AccountDouble::Inner::ChooseCertificate(SSL* ssl, void* self) {
    const auto& inner = *static_cast<const Inner*>(self);
    const int which = inner.served.load();
    EVP_PKEY* key = which == static_cast<int>(DoubleCertificate::OtherKey) ? inner.otherKey.get() : inner.key.get();
    const bool ok = SSL_use_certificate(ssl, inner.certificates[static_cast<size_t>(which)].get()) == 1 &&
                    SSL_use_PrivateKey(ssl, key) == 1;
    return ok ? 1 : 0;
}

static void WriteReply(DoubleReply reply, const DoubleFaults& faults, httplib::Response& response) {
    if (faults.status != 0) reply.status = faults.status;
    if (faults.notJson) {
        reply.generated = false;
        reply.contentType = "text/html";
        reply.body = "<html><body>Bad gateway</body></html>";
    }
    if (faults.oversizeBytes != 0) {
        reply.generated = false;
        reply.body = JsonOfSize(faults.oversizeBytes);
    }
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);

    const bool cut = faults.earlyClose || faults.shortContentLength;
    if (!cut && !reply.generated && !reply.withoutLength) {
        response.set_content(reply.body, reply.contentType.c_str());
        return;
    }
    const uint64_t length = reply.generated ? reply.generatedBytes : reply.body.size();
    const uint64_t sent = faults.earlyClose ? 0 : length;
    auto body = std::make_shared<std::string>(std::move(reply.body));
    const bool generated = reply.generated;
    // Writes at most one buffer's worth from `offset`; false once the connection is gone.
    auto writeFrom = [body, generated, sent](uint64_t offset, httplib::DataSink& sink) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(kWriteBytes, sent - offset));
        const char* bytes = generated ? reinterpret_cast<const char*>(PatternTable().data() + offset % 251)
                                      : body->data() + offset;
        return sink.write(bytes, count);
    };
    // A provider that returns false makes the server drop the connection without finishing.
    if (reply.withoutLength) {
        response.set_chunked_content_provider(reply.contentType, [=](size_t offset, httplib::DataSink& sink) {
            if (offset >= sent) {
                if (cut) return false;
                sink.done();
                return true;
            }
            return writeFrom(offset, sink);
        });
        return;
    }
    const uint64_t announced = faults.shortContentLength ? length + 1 : length;
    response.set_content_provider(static_cast<size_t>(announced), reply.contentType,
                                  [=](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset >= sent) return false;
                                      return writeFrom(offset, sink);
                                  });
}

void AccountDouble::Inner::Serve(const httplib::Request& request, httplib::Response& response) {
    LoggedRequest logged;
    logged.method = request.method;
    logged.path = request.path;
    logged.target = request.target;
    logged.query.insert(request.params.begin(), request.params.end());
    for (const auto& [name, value] : request.headers) {
        if (!IsAddedByServer(name)) logged.headers.emplace_back(name, value);
    }
    logged.body = request.body;

    DoubleFaults active = NoFaults();
    Handler handler;
    {
        std::unique_lock lock(mutex);
        log.push_back(logged);
        requestArrived.notify_all();
        if (faults.times != 0) {
            active = faults;
            if (faults.times > 0) --faults.times;
        }
        if (active.stall) stallLifted.wait(lock, [&] { return stopping || !faults.stall; });
        const auto found = handlers.find({request.method, request.path});
        if (found != handlers.end()) handler = found->second;
    }

    DoubleReply reply;
    if (handler) {
        reply = handler(logged);
    } else {
        reply.status = 404;
        reply.body = "{\"error\":\"not_found\"}";
    }
    WriteReply(std::move(reply), active, response);

    bool printing = false;
    {
        std::lock_guard lock(mutex);
        printing = print;
    }
    if (printing) {
        std::printf("[double] %s %s -> %d (%zu bytes in)\n", logged.method.c_str(), logged.target.c_str(),
                    response.status, logged.body.size());
        std::fflush(stdout);
    }
}

AccountDouble::AccountDouble() : inner_(std::make_unique<Inner>()) {
    Inner& inner = *inner_;
    inner.key = MakeTestKey();
    inner.otherKey = MakeTestKey();
    auto& certificates = inner.certificates;
    certificates[static_cast<size_t>(DoubleCertificate::SelfSigned)] =
        MakeSelfSignedCertificate(inner.key.get(), "localhost", -kDaySeconds, 30 * kDaySeconds);
    certificates[static_cast<size_t>(DoubleCertificate::Expired)] =
        MakeSelfSignedCertificate(inner.key.get(), "localhost", -30 * kDaySeconds, -kDaySeconds);
    certificates[static_cast<size_t>(DoubleCertificate::WrongName)] =
        MakeSelfSignedCertificate(inner.key.get(), "wrong-name.invalid", -kDaySeconds, 30 * kDaySeconds);
    certificates[static_cast<size_t>(DoubleCertificate::OtherKey)] =
        MakeSelfSignedCertificate(inner.otherKey.get(), "localhost", -kDaySeconds, 30 * kDaySeconds);
    net::PublicKeyPin(certificates[0].get(), inner.pin);
    AddTransportRoutes(*this);
}

AccountDouble::~AccountDouble() {
    Stop();
}

bool AccountDouble::Start(uint16_t port) {
    Inner& inner = *inner_;
    const bool keysMade = !inner.pin.empty() && std::all_of(inner.certificates.begin(), inner.certificates.end(),
                                                            [](const CertificatePtr& c) { return c != nullptr; });
    if (!keysMade || inner.server) {
        std::fprintf(stderr, "[double] cannot start: %s\n", keysMade ? "already started" : "no key or certificate");
        return false;
    }
    inner.server = std::make_unique<httplib::SSLServer>([&inner](SSL_CTX& context) {
        SSL_CTX_set_cert_cb(&context, &Inner::ChooseCertificate, &inner);
        return true;
    });
    httplib::SSLServer& server = *inner.server;
    // One request per connection: the client opens a connection per call anyway, and no worker is
    // left waiting on an idle connection when the double stops.
    server.set_keep_alive_max_count(1);
    const auto serve = [&inner](const httplib::Request& request, httplib::Response& response) {
        inner.Serve(request, response);
    };
    server.Get(".*", serve);
    server.Post(".*", serve);
    server.Put(".*", serve);
    server.Delete(".*", serve);
    server.Patch(".*", serve);

    int bound = -1;
    if (server.is_valid()) {
        if (port == 0) {
            bound = server.bind_to_any_port("127.0.0.1");
        } else if (server.bind_to_port("127.0.0.1", port)) {
            bound = port;
        }
    }
    if (bound <= 0) {
        std::fprintf(stderr, "[double] cannot listen on 127.0.0.1 port %u\n", port);
        inner.server.reset();
        return false;
    }
    inner.port = static_cast<uint16_t>(bound);
    inner.thread = std::thread([&server] { server.listen_after_bind(); });
    // The server only honours a stop once its loop runs; until then a stop would be lost.
    while (!server.is_running()) std::this_thread::yield();
    return true;
}

void AccountDouble::Stop() {
    Inner& inner = *inner_;
    {
        std::lock_guard lock(inner.mutex);
        inner.stopping = true;
    }
    inner.stallLifted.notify_all();
    inner.requestArrived.notify_all();
    if (inner.server) inner.server->stop();
    if (inner.thread.joinable()) inner.thread.join();
}

uint16_t AccountDouble::Port() const {
    return inner_->port;
}

const std::string& AccountDouble::Pin() const {
    return inner_->pin;
}

net::HttpsEndpoint AccountDouble::Endpoint() const {
    return net::HttpsEndpoint{.host = "127.0.0.1", .port = inner_->port, .pin = inner_->pin};
}

void AccountDouble::Handle(const std::string& method, const std::string& path, Handler handler) {
    std::lock_guard lock(inner_->mutex);
    inner_->handlers[{method, path}] = std::move(handler);
}

void AccountDouble::ServeCertificate(DoubleCertificate certificate) {
    inner_->served.store(static_cast<int>(certificate));
}

void AccountDouble::SetFaults(const DoubleFaults& faults) {
    {
        std::lock_guard lock(inner_->mutex);
        inner_->faults = faults;
    }
    inner_->stallLifted.notify_all();
}

void AccountDouble::ClearFaults() {
    SetFaults(NoFaults());
}

std::vector<LoggedRequest> AccountDouble::Requests() const {
    std::lock_guard lock(inner_->mutex);
    return inner_->log;
}

size_t AccountDouble::RequestCount() const {
    std::lock_guard lock(inner_->mutex);
    return inner_->log.size();
}

void AccountDouble::WaitForRequests(size_t count) const {
    std::unique_lock lock(inner_->mutex);
    inner_->requestArrived.wait(lock, [&] { return inner_->stopping || inner_->log.size() >= count; });
}

void AccountDouble::ClearRequests() {
    std::lock_guard lock(inner_->mutex);
    inner_->log.clear();
}

void AccountDouble::PrintRequests(bool print) {
    std::lock_guard lock(inner_->mutex);
    inner_->print = print;
}

std::string AccountDouble::GeneratedBytes(uint64_t count) {
    std::string bytes(count, '\0');
    for (uint64_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(GeneratedByte(i));
    return bytes;
}

std::thread AbortOnceStalled(AccountDouble& double_, std::atomic<bool>& abort) {
    DoubleFaults faults;
    faults.stall = true;
    double_.SetFaults(faults);
    const size_t before = double_.RequestCount();
    return std::thread([&double_, &abort, before] {
        double_.WaitForRequests(before + 1);
        abort = true;
    });
}

}  // namespace testsupport
