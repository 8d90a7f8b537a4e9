// A stand-in for the player's browser, started the way the game starts one: with one address as
// its only argument. It follows the address through every redirect, trusting any certificate (the
// test services sign their own), and prints the page it ends on.
//   ZELLWAR_BROWSER_LOG=<file>   first appends the address it was given, one line, to the file
// Exit code 0 when the last page arrived, 1 when the request failed, 2 on a wrong command line.
#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

size_t KeepBytes(char* data, size_t size, size_t count, void* page)
{
    static_cast<std::string*>(page)->append(data, size * count);
    return size * count;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zw_stand_in_browser <address>\n");
        return 2;
    }
    if (const char* logPath = std::getenv("ZELLWAR_BROWSER_LOG"); logPath != nullptr && logPath[0] != '\0') {
        if (FILE* log = std::fopen(logPath, "ab")) {
            std::fprintf(log, "%s\n", argv[1]);
            std::fclose(log);
        }
    }

    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* curl = curl_easy_init();
    std::string page;
    curl_easy_setopt(curl, CURLOPT_URL, argv[1]);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &page);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_global_cleanup();
    if (result != CURLE_OK) {
        std::fprintf(stderr, "stand-in browser: %s\n", curl_easy_strerror(result));
        return 1;
    }
    std::fwrite(page.data(), 1, page.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
}
