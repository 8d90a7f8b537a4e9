#pragma once
// A minimal plain-text HTTP/1.1 client for the account service's internal endpoints, which run
// beside the game server: it refuses every host but the local machine, so nothing leaves the
// machine unencrypted. One request per connection; the call blocks for at most the time-out per
// send and per receive.
#include <cstdint>
#include <string>

namespace net {

struct LoopbackReply {
    bool ok = false;  // a status of 200..299 and the whole reply received
    int32_t status = 0;
    std::string body;
    std::string error;  // empty when ok
};

// Replies longer than this are cut, and a cut reply is a failure.
constexpr size_t kMaxLoopbackReplyBytes = 65536;

// True for exactly "localhost" or an IPv4 literal whose first number is 127.
bool IsLoopbackHost(const std::string& host);

// POSTs `body` as JSON to http://host:port/path and reads the reply until the service closes the
// connection. Failures are values with a fixed error text; nothing is retried.
LoopbackReply LoopbackPost(const std::string& host, int port, const std::string& path, const std::string& body,
                           int timeoutMs);

// A whole reply as received: the status after "HTTP/1.x " and the body after the head.
LoopbackReply ParseLoopbackReply(const std::string& raw);

// Sets a stream socket's send and receive time-outs.
void SetSocketTimeouts(int socket, int timeoutMs);
// Closes the socket when it is open and marks it closed.
void CloseSocketIfOpen(int& socket);

// The string value of a top-level member of a JSON object, or empty when the text is no JSON
// object, has no such member or the member is not a string.
std::string ExtractJsonString(const std::string& text, const std::string& key);

}  // namespace net
