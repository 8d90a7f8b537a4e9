#include "online/https_transport.h"

#include "online/https_exchange.h"

namespace net {
namespace {

struct ReplyReader {
    std::string* body = nullptr;
    bool tooLarge = false;
};

size_t OnReplyBytes(char* data, size_t size, size_t count, void* self) {
    auto& reader = *static_cast<ReplyReader*>(self);
    const size_t length = size * count;
    if (reader.body->size() + length > kMaxReplyBytes) {
        reader.tooLarge = true;
        return 0;
    }
    reader.body->append(data, length);
    return length;
}

bool IsPlainMethod(const char* method) {
    if (!method || !*method) return false;
    size_t length = 0;
    for (const char* c = method; *c; ++c, ++length) {
        if (*c < 'A' || *c > 'Z' || length >= 16) return false;
    }
    return true;
}

// A token is one header value: a line break in it would start a header of the token's choosing.
bool IsPlainHeaderValue(const std::string& value) {
    for (const char c : value) {
        if (c < ' ' || c > '~') return false;
    }
    return true;
}

bool SetMethodAndBody(CURL* handle, const std::string& method, const std::string& body) {
    if (method == "GET" && body.empty()) return curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    bool ok = curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
    if (method != "POST") ok = ok && curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, method.c_str()) == CURLE_OK;
    return ok;
}

std::string FailureSentence(ExchangeFailure failure, bool bodyToSend) {
    switch (failure) {
    case ExchangeFailure::Stopped:
        return "The request was stopped.";
    case ExchangeFailure::NotStarted:
        return "Could not start a secure connection.";
    case ExchangeFailure::NotBuilt:
        return "Could not build the request.";
    case ExchangeFailure::WrongKey:
        return "The account server's identity did not match. Not sending your password.";
    case ExchangeFailure::Unreachable:
        return "Could not reach the account server.";
    case ExchangeFailure::SendFailed:
        // Without a body only the headers were going out: the server was never really reached.
        return bodyToSend ? "The connection dropped while sending." : "Could not reach the account server.";
    case ExchangeFailure::NoReply:
        return "No reply from the account server.";
    case ExchangeFailure::ReplyCut:
        break;
    }
    return "The connection dropped while reading the reply.";
}

}  // namespace

HttpResponse HttpsRequest(const HttpsEndpoint& endpoint, const char* method, const std::string& path,
                          const std::string& body, const std::string& token, const std::atomic<bool>* abort) {
    HttpResponse response;
    HttpsExchange exchange;
    if (!exchange.Started()) {
        response.error = "Could not start a secure connection.";
        return response;
    }

    ReplyReader reader{&response.body};
    CURL* handle = exchange.Handle();
    bool built = IsPlainMethod(method) && IsPlainHeaderValue(token);
    built = built && exchange.Prepare(endpoint, path, ExchangeTimeouts{}, abort);
    built = built && SetMethodAndBody(handle, method, body);
    built = built && curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnReplyBytes) == CURLE_OK;
    built = built && curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reader) == CURLE_OK;
    // The service sees exactly these headers besides Host, User-Agent and Content-Length; libcurl's
    // own Accept and Expect are taken out.
    built = built && exchange.AddHeader("Content-Type: application/json; charset=utf-8");
    if (!token.empty()) built = built && exchange.AddHeader("Authorization: Bearer " + token);
    built = built && exchange.AddHeader("Accept:") && exchange.AddHeader("Expect:");
    if (!built) {
        response.error = "Could not build the request.";
        return response;
    }

    const CURLcode code = exchange.Perform();
    response.status = exchange.Status();
    if (reader.tooLarge) {
        response.error = "The reply was too large.";
    } else if (code != CURLE_OK) {
        response.error = FailureSentence(exchange.Failure(code), !body.empty());
    }
    return response;
}

HttpResponse HttpsGet(const HttpsEndpoint& endpoint, const std::string& path, const std::string& token,
                      const std::atomic<bool>* abort) {
    return HttpsRequest(endpoint, "GET", path, std::string(), token, abort);
}

HttpResponse HttpsPost(const HttpsEndpoint& endpoint, const std::string& path, const std::string& body,
                       const std::string& token, const std::atomic<bool>* abort) {
    return HttpsRequest(endpoint, "POST", path, body, token, abort);
}

}  // namespace net
