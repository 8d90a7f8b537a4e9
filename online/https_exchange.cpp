#include "online/https_exchange.h"

#include <mutex>

#include "online/public_key_pin.h"

namespace net {
namespace {

void StartLibcurlOnce() {
    // libcurl's global start is not safe to race; requests may begin on several threads at once.
    static std::once_flag started;
    std::call_once(started, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsPlainHost(const std::string& host) {
    if (host.empty() || host.size() > 253) return false;
    for (const char c : host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                             c == '-';
        if (!allowed) return false;
    }
    return true;
}

// A path with its query, as it goes on the request line: no spaces, control bytes or fragment.
bool IsPlainPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    for (const char c : path) {
        if (c <= ' ' || c > '~' || c == '#') return false;
    }
    return true;
}

}  // namespace

HttpsExchange::HttpsExchange() {
    StartLibcurlOnce();
    handle_ = curl_easy_init();
}

HttpsExchange::~HttpsExchange() {
    if (handle_) curl_easy_cleanup(handle_);
    if (headers_) curl_slist_free_all(headers_);
}

bool HttpsExchange::Prepare(const HttpsEndpoint& endpoint, const std::string& path, const ExchangeTimeouts& timeouts,
                            const std::atomic<bool>* abort) {
    if (!handle_ || !IsPlainHost(endpoint.host) || !IsPlainPath(path)) return false;
    url_ = "https://" + endpoint.host + ":" + std::to_string(endpoint.port) + path;
    abort_ = abort;

    bool ok = curl_easy_setopt(handle_, CURLOPT_URL, url_.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_IPRESOLVE, static_cast<long>(CURL_IPRESOLVE_V4)) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) == CURLE_OK;
    // Signals are no way to time out a call on a worker thread.
    ok = ok && curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_USERAGENT, "ZellWar/1.0") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK;

    // Resolving and connecting share one limit here; afterwards a silence longer than the send or
    // receive time ends the exchange, however long the whole transfer takes.
    const long connectMs = timeouts.resolveMs + timeouts.connectMs;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, connectMs) == CURLE_OK;
    const long idleSeconds = (timeouts.sendMs > timeouts.receiveMs ? timeouts.sendMs : timeouts.receiveMs) / 1000;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, idleSeconds) == CURLE_OK;

    if (!endpoint.pin.empty()) {
        // A malformed pin can match nothing, and libcurl would read a ';' in it as a list of pins.
        pinnedKey_ = LooksLikePin(endpoint.pin) ? "sha256//" + endpoint.pin : "sha256//" + std::string(43, 'A') + "=";
        ok = ok && curl_easy_setopt(handle_, CURLOPT_PINNEDPUBLICKEY, pinnedKey_.c_str()) == CURLE_OK;
        ok = ok && curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 0L) == CURLE_OK;
        ok = ok && curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 0L) == CURLE_OK;
    }

    ok = ok && curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &HttpsExchange::OnHeaderLine) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_PREREQFUNCTION, &HttpsExchange::OnRequestReady) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle_, CURLOPT_PREREQDATA, this) == CURLE_OK;
    if (abort_) {
        ok = ok && curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &HttpsExchange::OnTick) == CURLE_OK;
        ok = ok && curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this) == CURLE_OK;
        ok = ok && curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    }
    return ok;
}

bool HttpsExchange::AddHeader(const std::string& line) {
    curl_slist* grown = curl_slist_append(headers_, line.c_str());
    if (!grown) return false;
    headers_ = grown;
    return true;
}

CURLcode HttpsExchange::Perform() {
    if (headers_) {
        const CURLcode set = curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_);
        if (set != CURLE_OK) return set;
    }
    return curl_easy_perform(handle_);
}

ExchangeFailure HttpsExchange::Failure(CURLcode code) const {
    if (aborted_) return ExchangeFailure::Stopped;
    switch (code) {
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return ExchangeFailure::WrongKey;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ExchangeFailure::NotBuilt;
    case CURLE_OUT_OF_MEMORY:
    case CURLE_FAILED_INIT:
        return ExchangeFailure::NotStarted;
    default:
        break;
    }
    if (!connected_) return ExchangeFailure::Unreachable;
    if (!replyHeadersSeen_) return code == CURLE_SEND_ERROR ? ExchangeFailure::SendFailed : ExchangeFailure::NoReply;
    return ExchangeFailure::ReplyCut;
}

size_t HttpsExchange::OnHeaderLine(char* data, size_t size, size_t count, void* self) {
    auto& exchange = *static_cast<HttpsExchange*>(self);
    const size_t length = size * count;
    const std::string_view line(data, length);
    if (line.starts_with("HTTP/")) {
        // "HTTP/1.1 404 Not Found": the code follows the first space. Interim (1xx) replies pass
        // through here too; only the last status line before the body counts.
        int32_t status = 0;
        const size_t space = line.find(' ');
        for (size_t i = space == std::string_view::npos ? length : space + 1; i < length && status < 1000; ++i) {
            if (line[i] < '0' || line[i] > '9') break;
            status = status * 10 + (line[i] - '0');
        }
        exchange.status_ = status;
    } else if (line == "\r\n" || line == "\n") {
        if (exchange.status_ >= 200) {
            exchange.replyHeadersSeen_ = true;
            if (exchange.onReplyHeaders && !exchange.onReplyHeaders()) return 0;
        }
    }
    return length;
}

int HttpsExchange::OnRequestReady(void* self, char*, char*, int, int) {
    static_cast<HttpsExchange*>(self)->connected_ = true;
    return CURL_PREREQFUNC_OK;
}

int HttpsExchange::OnTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& exchange = *static_cast<HttpsExchange*>(self);
    if (exchange.abort_ && exchange.abort_->load(std::memory_order_relaxed)) {
        exchange.aborted_ = true;
        return 1;
    }
    return 0;
}

}  // namespace net
