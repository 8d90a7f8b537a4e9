#pragma once
// A stand-in for the account web service's internal endpoints, for tests only: a plain HTTP/1.1
// server on 127.0.0.1 (port chosen by the system) on a thread of its own, that answers each path
// with a scripted raw reply, or holds the connection without a word, and records every request.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testnet {

class AccountServiceDouble {
public:
    struct Request {
        std::string path;
        std::string body;
    };

    AccountServiceDouble() = default;
    AccountServiceDouble(const AccountServiceDouble&) = delete;
    AccountServiceDouble& operator=(const AccountServiceDouble&) = delete;
    ~AccountServiceDouble();

    bool Start();
    uint16_t Port() const { return port_; }

    // The raw reply (status line, headers, body) for requests to `path`.
    void SetReply(const std::string& path, const std::string& raw);
    // "HTTP/1.1 <status> ..." with a JSON body and its length.
    void SetJsonReply(const std::string& path, int status, const std::string& body);
    // Requests to `path` get no answer; the connection stays open until the double stops.
    void SetSilent(const std::string& path);

    std::vector<Request> Requests();

private:
    void Serve();
    void Answer(int connection);

    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, std::string> replies_;
    std::map<std::string, bool> silent_;
    std::vector<Request> requests_;
    std::vector<int> held_;
};

}  // namespace testnet
