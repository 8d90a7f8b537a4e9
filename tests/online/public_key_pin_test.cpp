#include "online/public_key_pin.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <string>

namespace {

// A certificate made and pinned by the openssl command-line tool:
// openssl x509 -pubkey -noout | openssl pkey -pubin -outform der | openssl dgst -sha256 -binary | base64
constexpr const char* kCertificatePem = R"(-----BEGIN CERTIFICATE-----
MIIBgTCCASegAwIBAgIUExoYz6wKRnirZvMBI0gvT6hZGlowCgYIKoZIzj0EAwIw
FjEUMBIGA1UEAwwLcGluLmV4YW1wbGUwHhcNMjYxMjExMDgxOTE5WhcNMzYxMjA4
MDgxOTE5WjAWMRQwEgYDVQQDDAtwaW4uZXhhbXBsZTBZMBMGByqGSM49AgEGCCqG
SM49AwEHA0IABKUVvZ0lIbiXx6IssMSc4+GZRjQjAcCyxTiAmyyRwJKuVYYLG/D7
R1R2gCKScRRau4XPpEOB1WNfvAqqdpx/oiejUzBRMB0GA1UdDgQWBBTtS/LmcTj5
N5mIfe53M+5KIajHgTAfBgNVHSMEGDAWgBTtS/LmcTj5N5mIfe53M+5KIajHgTAP
BgNVHRMBAf8EBTADAQH/MAoGCCqGSM49BAMCA0gAMEUCIQCoh9Q8B9dp6l35tg/K
FmDkl3nr6xHpKmbTuKnLaJHnCQIgZpkjkVp24dv5wcAu7Eb1YYe+jKJOnuEoyfRF
K4RFCAc=
-----END CERTIFICATE-----
)";

TEST(PublicKeyPinTest, MatchesThePinOfTheCommandLineTool) {
    BIO* text = BIO_new_mem_buf(kCertificatePem, -1);
    X509* certificate = PEM_read_bio_X509(text, nullptr, nullptr, nullptr);
    BIO_free(text);
    ASSERT_NE(certificate, nullptr);

    std::string pin;
    EXPECT_TRUE(net::PublicKeyPin(certificate, pin));
    EXPECT_EQ(pin, "AUs0IJUbuDWCZ71gGLNtk8Pe95sQsu3nJkaIE/NFY+s=");
    EXPECT_TRUE(net::LooksLikePin(pin));
    X509_free(certificate);
}

TEST(PublicKeyPinTest, NoCertificateLeavesThePinAlone) {
    std::string pin = "kept";
    EXPECT_FALSE(net::PublicKeyPin(nullptr, pin));
    EXPECT_EQ(pin, "kept");
}

TEST(PublicKeyPinTest, Base64OfTheStandardVectors) {
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {std::string(60, '\xff'), std::string(80, '/')}};
    for (const auto& c : cases) {
        EXPECT_EQ(net::Base64(c.bytes.data(), c.bytes.size()), c.text) << c.text;
    }
}

TEST(PublicKeyPinTest, ConstantTimeEqualsComparesWholeStrings) {
    const struct {
        std::string a;
        std::string b;
        bool equal;
    } cases[] = {{"", "", true}, {"pin", "pin", true}, {"pin", "pio", false}, {"pin", "pins", false},
                 {"", "x", false}, {std::string("a\0b", 3), std::string("a\0c", 3), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(net::ConstantTimeEquals(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
}

TEST(PublicKeyPinTest, OnlyTheFormOfAPinLooksLikeOne) {
    const std::string pin = "AUs0IJUbuDWCZ71gGLNtk8Pe95sQsu3nJkaIE/NFY+s=";
    EXPECT_TRUE(net::LooksLikePin(pin));
    EXPECT_FALSE(net::LooksLikePin(""));
    EXPECT_FALSE(net::LooksLikePin(pin.substr(1)));
    EXPECT_FALSE(net::LooksLikePin(pin.substr(0, 43) + "A"));
    EXPECT_FALSE(net::LooksLikePin("AUs0IJUbuDWCZ71gGLNtk8Pe95sQsu3nJkaIE/NF;+s="));
}

}  // namespace
