#pragma once
// Opening a web page (the sign-in address, the payment page) in the player's browser.
#include <string>

namespace net {

// True when `url` may be handed to a browser: at least 8 bytes, beginning with "https://" in
// exactly that case, with no byte below 33 (blank or control character) and no double quote.
bool IsOpenableUrl(const std::string& url);

// Starts the program named by the environment variable ZELLWAR_BROWSER, else "xdg-open", with the
// URL as its one argument and without a shell. False when the URL is refused (nothing is started)
// or the program could not be started. Does not wait for the browser.
bool OpenInBrowser(const std::string& url);

}  // namespace net
