// The whole trip through the browser: the game opens the sign-in address in the browser named by
// ZELLWAR_BROWSER, the browser goes to the identity provider over HTTPS, which sends it back to the
// game's loop-back listener with its answer.
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <atomic>
#include <cctype>
#include <memory>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "online/open_in_browser.h"
#include "online/sign_in_listener.h"
#include "platform/executable_path.h"

namespace {

// An identity provider that answers every sign-in at once: its authorize page redirects to the
// given redirect_uri with `answer` as the query. Its certificate is made up at start.
class IdentityProvider {
public:
    explicit IdentityProvider(std::string answer) : answer_(std::move(answer))
    {
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* certificate = X509_new();
        X509_set_version(certificate, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
        X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
        X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
        X509_set_pubkey(certificate, key);
        X509_NAME* name = X509_get_subject_name(certificate);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1,
                                   -1, 0);
        X509_set_issuer_name(certificate, name);
        X509_sign(certificate, key, EVP_sha256());
        server_ = std::make_unique<httplib::SSLServer>(certificate, key);
        X509_free(certificate);
        EVP_PKEY_free(key);

        server_->Get("/authorize", [this](const httplib::Request& request, httplib::Response& response) {
            ++visits;
            response.set_redirect(request.get_param_value("redirect_uri") + "?" + answer_);
        });
        port = server_->bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
    }
    ~IdentityProvider()
    {
        server_->stop();
        thread_.join();
    }

    int port = 0;
    std::atomic<int> visits{0};

private:
    std::string answer_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread thread_;
};

std::string EncodeQueryValue(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

TEST(BrowserSignIn, TheBrowserBringsTheProvidersAnswerBackToTheListener)
{
    struct Case {
        const char* answer;
        bool completed;
        const char* code;
        const char* message;
    };
    const Case cases[] = {
        {"state=st%2Bate&code=4%2F0Ab-c", true, "4/0Ab-c", ""},
        {"error=access_denied&state=st%2Bate", false, "", "Google sign-in was declined."},
        {"state=forged&code=4%2F0Ab-c", false, "", "Google sign-in did not complete."},
    };
    const std::string folder = ExecutablePath().substr(0, ExecutablePath().rfind('/'));
    setenv("ZELLWAR_BROWSER", (folder + "/zw_stand_in_browser").c_str(), 1);
    for (const Case& c : cases) {
        IdentityProvider provider(c.answer);
        ASSERT_GT(provider.port, 0);
        net::SignInListener listener;
        ASSERT_TRUE(net::OpenSignInListener(listener));
        const std::string authUrl = "https://127.0.0.1:" + std::to_string(provider.port) +
                                    "/authorize?redirect_uri=" + EncodeQueryValue(listener.redirectUri) +
                                    "&state=st%2Bate";
        net::SignInWaitLimits limits;
        limits.waitSeconds = 30.0;
        const std::atomic<bool> cancel{false};
        const std::atomic<bool> running{true};

        ASSERT_TRUE(net::OpenInBrowser(authUrl));
        const net::BrowserCallback callback = net::AwaitBrowserCallback(listener, "st+ate", cancel, running, limits);

        EXPECT_EQ(callback.completed, c.completed) << c.answer;
        EXPECT_EQ(callback.code, c.code) << c.answer;
        EXPECT_EQ(callback.message, c.message) << c.answer;
        EXPECT_EQ(provider.visits, 1) << c.answer;
    }
    unsetenv("ZELLWAR_BROWSER");
}

}  // namespace
