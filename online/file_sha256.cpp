#include "online/file_sha256.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace net {

std::string FileSha256(const std::string& path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!file || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        return std::string();
    }
    std::vector<unsigned char> chunk(65536);
    for (;;) {
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (got > 0 && EVP_DigestUpdate(context.get(), chunk.data(), got) != 1) {
            return std::string();
        }
        if (got < chunk.size()) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        return std::string();
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1 || length != 32) {
        return std::string();
    }
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(kHex[digest[i] >> 4]);
        text.push_back(kHex[digest[i] & 15]);
    }
    return text;
}

}  // namespace net
