// The account service's sign-in side: registration with an e-mailed code, password sign-in,
// sessions and game tickets, and sign-in through Google, whose sign-in page the double serves too.
#include <cstdio>

#include "support/account_double/account_service.h"
#include "support/account_double/service_messages.h"

namespace testsupport {
namespace {

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsName(const std::string& text, size_t shortest, size_t longest) {
    if (text.size() < shortest || text.size() > longest) return false;
    for (const char c : text) {
        if (!IsNameCharacter(c)) return false;
    }
    return true;
}

bool IsEmail(const std::string& text) {
    const size_t at = text.find('@');
    if (text.size() > 254 || at == 0 || at == std::string::npos || text.find('@', at + 1) != std::string::npos) {
        return false;
    }
    const size_t dot = text.find('.', at);
    if (dot == std::string::npos || dot == at + 1 || dot + 1 == text.size()) return false;
    // Printable ASCII only: the address is echoed in replies, which must stay valid UTF-8.
    for (const char c : text) {
        if (c <= ' ' || c > '~' || c == '"' || c == '\\') return false;
    }
    return true;
}

std::string PercentEncode(const std::string& text) {
    std::string out;
    char escaped[4];
    for (const char c : text) {
        if (IsNameCharacter(c) || c == '-' || c == '.' || c == '~') {
            out += c;
        } else {
            std::snprintf(escaped, sizeof(escaped), "%%%02X", static_cast<unsigned char>(c));
            out += escaped;
        }
    }
    return out;
}

// Only the game's own loop-back listener may receive a sign-in code. The address goes into a
// Location header, so it holds printable ASCII only, and no query of its own.
bool IsLoopbackCallback(const std::string& uri) {
    for (const char c : uri) {
        if (c <= ' ' || c > '~') return false;
    }
    for (const char* prefix : {"http://127.0.0.1:", "http://localhost:"}) {
        const std::string start = prefix;
        if (uri.compare(0, start.size(), start) != 0) continue;
        const size_t slash = uri.find('/', start.size());
        const size_t portEnd = slash == std::string::npos ? uri.size() : slash;
        const std::string port = uri.substr(start.size(), portEnd - start.size());
        return !port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos &&
               uri.find_first_of("?#\"<> ") == std::string::npos;
    }
    return false;
}

std::string SessionJson(const std::string& token, const ServiceAccount& account) {
    return JsonObject()
        .Text("sessionToken", token)
        .Bool("needsScreenName", account.screenName.empty())
        .Raw("account", AccountJson(account))
        .Close();
}

DoubleReply Missing(const std::string& key) {
    return ErrorReply(400, "invalid_request", "The request lacks \"" + key + "\".");
}

}  // namespace

DoubleReply AccountService::Register(const LoggedRequest& request) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* username = StringMember(body, "username");
    const std::string* email = StringMember(body, "email");
    const std::string* password = StringMember(body, "password");
    const std::string* screenName = StringMember(body, "screenName");
    if (!username) return Missing("username");
    if (!email) return Missing("email");
    if (!password) return Missing("password");
    if (!IsName(*username, 3, 20)) {
        return ErrorReply(400, "invalid_username", "A username has 3 to 20 letters, digits or underscores.");
    }
    if (!IsEmail(*email)) return ErrorReply(400, "invalid_email", "That is not an e-mail address.");
    if (password->size() < 8 || password->size() > 128) {
        return ErrorReply(400, "weak_password", "Choose a password of 8 to 128 characters.");
    }
    if (screenName && !screenName->empty() && !IsName(*screenName, 3, 16)) {
        return ErrorReply(400, "invalid_screen_name", "A screen name has 3 to 16 letters, digits or underscores.");
    }

    std::lock_guard lock(mutex_);
    if (ByUsername(*username)) return ErrorReply(409, "username_taken", "That username is taken.");
    if (ByEmail(*email)) return ErrorReply(409, "email_taken", "That e-mail address already has an account.");
    if (screenName && !screenName->empty() && ScreenNameTaken(*screenName, "")) {
        return ErrorReply(409, "screen_name_taken", "That screen name is taken.");
    }
    ServiceAccount account;
    account.username = *username;
    account.email = *email;
    account.password = *password;
    account.hasPassword = true;
    if (screenName) account.screenName = *screenName;
    MailCode(AddAccount(std::move(account)), "verification");
    return JsonReply(JsonObject().Text("status", "verification_sent").Close(), 202);
}

DoubleReply AccountService::VerifyCode(const LoggedRequest& request) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* code = StringMember(body, "code");
    if (!code) return Missing("code");

    std::lock_guard lock(mutex_);
    const auto found = codes_.find(*code);
    ServiceAccount* account = found == codes_.end() ? nullptr : ById(found->second);
    if (!account) return ErrorReply(400, "invalid_code", "That code is not right, or it has been replaced.");
    codes_.erase(found);
    account->emailVerified = true;
    return JsonReply(JsonObject().Bool("emailVerified", true).Close());
}

DoubleReply AccountService::ResendVerification(const LoggedRequest& request) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* email = StringMember(body, "email");
    if (!email) return Missing("email");

    std::lock_guard lock(mutex_);
    // The same answer whether or not the address is known, so it tells nobody who has an account.
    const ServiceAccount* account = ByEmail(*email);
    if (account && !account->emailVerified) MailCode(*account, "verification");
    return JsonReply(JsonObject().Text("status", "sent").Close(), 202);
}

DoubleReply AccountService::ForgotPassword(const LoggedRequest& request) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* email = StringMember(body, "email");
    if (!email) return Missing("email");

    std::lock_guard lock(mutex_);
    if (const ServiceAccount* account = ByEmail(*email)) MailCode(*account, "password reset");
    return JsonReply(JsonObject().Text("status", "sent").Close(), 202);
}

DoubleReply AccountService::Login(const LoggedRequest& request) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* username = StringMember(body, "username");
    const std::string* password = StringMember(body, "password");
    if (!username) return Missing("username");
    if (!password) return Missing("password");

    std::lock_guard lock(mutex_);
    ServiceAccount* account = ByUsername(*username);
    if (!account) account = ByEmail(*username);
    if (!account || !account->hasPassword || account->password != *password) {
        return ErrorReply(401, "invalid_credentials", "Wrong username or password.");
    }
    if (!account->emailVerified) {
        return ErrorReply(403, "email_unverified", "Confirm your e-mail address first: enter the code we sent.");
    }
    return JsonReply(SessionJson(NewSession(*account), *account));
}

DoubleReply AccountService::ClaimScreenName(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;
    const std::string* screenName = StringMember(body, "screenName");
    if (!screenName) return Missing("screenName");
    if (!IsName(*screenName, 3, 16)) {
        return ErrorReply(400, "invalid_screen_name", "A screen name has 3 to 16 letters, digits or underscores.");
    }
    if (ScreenNameTaken(*screenName, account->id)) {
        return ErrorReply(409, "screen_name_taken", "That screen name is taken.");
    }
    account->screenName = *screenName;
    return JsonReply(JsonObject().Raw("account", AccountJson(*account)).Close());
}

DoubleReply AccountService::Me(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    const ServiceAccount* account = Authorize(request, refusal);
    if (!account) return refusal;
    return JsonReply(JsonObject().Raw("account", AccountJson(*account)).Close());
}

DoubleReply AccountService::GameTicket(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    const ServiceAccount* account = Authorize(request, refusal);
    if (!account) return refusal;
    const std::string ticket = RandomHex(16);
    tickets_[ticket] = account->id;
    return JsonReply(JsonObject().Text("ticket", ticket).Close());
}

DoubleReply AccountService::GrantResources(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;
    int64_t coins = 0;
    if (!IntegerMember(body, "ironCoins", 0, 1000000, coins)) {
        return ErrorReply(400, "invalid_request", "\"ironCoins\" must be a whole number from 0 to 1000000.");
    }
    account->ironCoins += coins;
    return JsonReply(JsonObject().Raw("account", AccountJson(*account)).Close());
}

DoubleReply AccountService::Logout(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    if (!Authorize(request, refusal)) return refusal;
    sessions_.erase(request.Header("Authorization").substr(7));
    return JsonReply(JsonObject().Bool("signedOut", true).Close());
}

DoubleReply AccountService::GoogleStart(const LoggedRequest& request, uint16_t port) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* redirectUri = StringMember(body, "redirectUri");
    if (!redirectUri) return Missing("redirectUri");
    if (!IsLoopbackCallback(*redirectUri)) {
        return ErrorReply(400, "invalid_redirect", "Google sign-in only returns to this computer's own address.");
    }

    std::lock_guard lock(mutex_);
    const std::string state = RandomHex(16);
    googleSignIns_[state] = GoogleSignIn{*redirectUri, {}};
    const std::string authUrl = "https://127.0.0.1:" + std::to_string(port) + "/oauth/authorize?state=" + state +
                                "&redirect_uri=" + PercentEncode(*redirectUri);
    return JsonReply(JsonObject().Text("authUrl", authUrl).Text("state", state).Close());
}

DoubleReply AccountService::GoogleAuthorizePage(const LoggedRequest& request) {
    const std::string state = QueryValue(request, "state");
    const std::string redirectUri = QueryValue(request, "redirect_uri");

    std::lock_guard lock(mutex_);
    const auto signIn = googleSignIns_.find(state);
    // A redirect only to the address the game registered, so the page cannot be used to send a
    // code anywhere else.
    if (signIn == googleSignIns_.end() || signIn->second.redirectUri != redirectUri) {
        return HtmlPage(400, "Sign-in link not valid", "Start the sign-in again from the game.");
    }
    std::string location = redirectUri + "?";
    if (googleDeclines_) {
        location += "error=access_denied&state=" + PercentEncode(state);
        googleSignIns_.erase(signIn);
    } else {
        signIn->second.code = RandomHex(16);
        location += "code=" + PercentEncode(signIn->second.code) + "&state=" + PercentEncode(state);
    }
    DoubleReply reply = HtmlPage(302, "Signing in", "Returning to the game...");
    reply.headers.emplace_back("Location", location);
    return reply;
}

DoubleReply AccountService::GoogleCallback(const LoggedRequest& request) {
    json::Value body;
    DoubleReply refusal;
    if (!ReadBodyObject(request, body, refusal)) return refusal;
    const std::string* code = StringMember(body, "code");
    const std::string* state = StringMember(body, "state");
    if (!code) return Missing("code");
    if (!state) return Missing("state");

    std::lock_guard lock(mutex_);
    const auto signIn = googleSignIns_.find(*state);
    if (signIn == googleSignIns_.end() || signIn->second.code.empty() || signIn->second.code != *code) {
        return ErrorReply(400, "invalid_code", "That Google sign-in has expired. Try again.");
    }
    googleSignIns_.erase(signIn);

    ServiceAccount* account = nullptr;
    for (ServiceAccount& candidate : accounts_) {
        if (candidate.linkedGoogle && candidate.email == googleEmail_) account = &candidate;
    }
    if (!account) account = ByEmail(googleEmail_);
    if (!account) {
        ServiceAccount created;
        created.email = googleEmail_;
        account = &AddAccount(std::move(created));
        account->username = "google_" + account->id;
    }
    // Google has confirmed the address.
    account->linkedGoogle = true;
    account->emailVerified = true;
    return JsonReply(SessionJson(NewSession(*account), *account));
}

}  // namespace testsupport
