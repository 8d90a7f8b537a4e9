#pragma once
// What a request and a download share: one libcurl handle per call, HTTPS over IPv4 only, HTTP/1.1,
// no redirects, the endpoint's pin checked in the handshake, and a record of how far the exchange
// got, so that a failure can be told to the player as the stage it happened in.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include <curl/curl.h>

#include "online/https_transport.h"

namespace net {

struct ExchangeTimeouts {
    long resolveMs = 10000;
    long connectMs = 10000;
    long sendMs = 15000;
    long receiveMs = 15000;
};

// Where a failed exchange stopped, for each caller to tell in its own words.
enum class ExchangeFailure {
    Stopped,      // the abort flag was set
    NotStarted,   // libcurl could not set up
    NotBuilt,     // the address could not be formed
    WrongKey,     // the server's key did not match the pin; nothing was sent
    Unreachable,  // no connection or no handshake (an untrusted certificate without a pin ends here)
    SendFailed,   // the connection failed while the request went out
    NoReply,      // the request went out, the reply's headers did not arrive whole
    ReplyCut,     // the reply's headers arrived, its body did not
};

class HttpsExchange {
public:
    HttpsExchange();
    ~HttpsExchange();
    HttpsExchange(const HttpsExchange&) = delete;
    HttpsExchange& operator=(const HttpsExchange&) = delete;

    // False when libcurl could not give a handle.
    bool Started() const { return handle_ != nullptr; }
    CURL* Handle() const { return handle_; }

    // Sets the address, the TLS policy for the endpoint's pin, the timeouts and the user agent.
    // False when the host or the path would not make a plain URL (a stray character could
    // otherwise send the request, or the token, somewhere else).
    bool Prepare(const HttpsEndpoint& endpoint, const std::string& path, const ExchangeTimeouts& timeouts,
                 const std::atomic<bool>* abort);
    // One header line without its line break; "Name:" alone removes a header libcurl would add.
    bool AddHeader(const std::string& line);

    // Called once the final reply's headers are complete; false ends the exchange there.
    std::function<bool()> onReplyHeaders;

    CURLcode Perform();

    // The connection and the TLS handshake (with the pin) succeeded and the request began to go out.
    bool Connected() const { return connected_; }
    // The final reply's status line and headers arrived whole.
    bool ReplyHeadersSeen() const { return replyHeadersSeen_; }
    int32_t Status() const { return replyHeadersSeen_ ? status_ : 0; }
    bool Aborted() const { return aborted_; }
    // What `code`, the result of Perform, says went wrong.
    ExchangeFailure Failure(CURLcode code) const;

private:
    static size_t OnHeaderLine(char* data, size_t size, size_t count, void* self);
    static int OnRequestReady(void* self, char* connectedIp, char* localIp, int remotePort, int localPort);
    static int OnTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    CURL* handle_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::string url_;
    std::string pinnedKey_;
    const std::atomic<bool>* abort_ = nullptr;
    bool connected_ = false;
    bool replyHeadersSeen_ = false;
    bool aborted_ = false;
    int32_t status_ = 0;
};

}  // namespace net
