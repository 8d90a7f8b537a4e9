#include "support/account_double/account_service.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "support/account_double/service_messages.h"

namespace testsupport {
namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The SHA-256 of `bytes` bytes of the double's generated pattern, as lower-case hexadecimal.
std::string GeneratedSha256(uint64_t bytes) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool ok = context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
    std::string chunk;
    for (uint64_t done = 0; ok && done < bytes;) {
        const uint64_t count = std::min<uint64_t>(65536 * 251, bytes - done);
        // A chunk of whole periods starts at offset 0 of the pattern like every chunk before it.
        if (chunk.size() != count) chunk = AccountDouble::GeneratedBytes(count);
        ok = EVP_DigestUpdate(context, chunk.data(), chunk.size()) == 1;
        done += count;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    ok = ok && EVP_DigestFinal_ex(context, digest, &size) == 1;
    EVP_MD_CTX_free(context);
    if (!ok) return {};
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

}  // namespace

std::string AccountJson(const ServiceAccount& account) {
    return JsonObject()
        .Text("id", account.id)
        .Text("username", account.username)
        .Text("screenName", account.screenName)
        .Text("email", account.email)
        .Bool("emailVerified", account.emailVerified)
        .Int("bux", account.bux)
        .Int("elo", account.elo)
        .Bool("hasPassword", account.hasPassword)
        .Bool("linkedGoogle", account.linkedGoogle)
        .Int("ironCoins", account.ironCoins)
        .Int("stardust", account.stardust)
        .Close();
}

std::string ItemJson(const ServiceItem& item) {
    return JsonObject().Text("id", item.id).Text("def", item.def).Text("rarity", item.rarity).Close();
}

StoreCatalogue DemoCatalogue() {
    StoreCatalogue catalogue;
    catalogue.bundles = {{"stardust_500", 499, 500, 0},
                         {"stardust_1200", 999, 1200, 20},
                         {"stardust_2600", 1999, 2600, 30}};
    catalogue.skins = {{"gold", 800, {"blue", "green", "orange", "pink", "white"}},
                       {"night_ops", 500, {"blue", "orange"}}};
    catalogue.offers = {{"top_hat", "Top Hat", 150, "head"},
                        {"halo", "Halo", 400, "head"},
                        {"jetpack", "Jetpack", 600, "back"},
                        {"banner", "Banner", 250, "back"},
                        {"utility_belt", "Utility Belt", 200, "waist"}};
    catalogue.rarities = {{"common", 65}, {"rare", 25}, {"legendary", 9}, {"omega", 1}};
    return catalogue;
}

AccountService::AccountService() = default;

ServiceAccount* AccountService::ByUsername(const std::string& username) {
    for (ServiceAccount& account : accounts_) {
        if (SameText(account.username, username)) return &account;
    }
    return nullptr;
}

ServiceAccount* AccountService::ByEmail(const std::string& email) {
    if (email.empty()) return nullptr;  // seeded accounts may have no address
    for (ServiceAccount& account : accounts_) {
        if (SameText(account.email, email)) return &account;
    }
    return nullptr;
}

ServiceAccount* AccountService::ById(const std::string& id) {
    for (ServiceAccount& account : accounts_) {
        if (account.id == id) return &account;
    }
    return nullptr;
}

bool AccountService::ScreenNameTaken(const std::string& screenName, const std::string& exceptId) const {
    return std::any_of(accounts_.begin(), accounts_.end(), [&](const ServiceAccount& account) {
        return account.id != exceptId && SameText(account.screenName, screenName);
    });
}

ServiceAccount* AccountService::Authorize(const LoggedRequest& request, DoubleReply& refusal) {
    const std::string header = request.Header("Authorization");
    const std::string prefix = "Bearer ";
    if (header.size() > prefix.size() && header.compare(0, prefix.size(), prefix) == 0) {
        const auto session = sessions_.find(header.substr(prefix.size()));
        if (session != sessions_.end()) {
            if (ServiceAccount* account = ById(session->second)) return account;
        }
    }
    refusal = ErrorReply(401, "unauthorized", "Your session has ended. Sign in again.");
    return nullptr;
}

ServiceAccount* AccountService::AuthorizeWithBody(const LoggedRequest& request, json::Value& body,
                                                  DoubleReply& refusal) {
    ServiceAccount* account = Authorize(request, refusal);
    return account && ReadBodyObject(request, body, refusal) ? account : nullptr;
}

ServiceAccount& AccountService::AddAccount(ServiceAccount account) {
    account.id = std::to_string(nextAccount_++);
    accounts_.push_back(std::move(account));
    return accounts_.back();
}

std::string AccountService::RandomHex(size_t bytes) {
    std::vector<unsigned char> random(bytes);
    if (RAND_bytes(random.data(), static_cast<int>(bytes)) != 1) {
        // Tokens only have to differ within one run of the double.
        for (unsigned char& byte : random) byte = static_cast<unsigned char>(rarityDice_());
    }
    std::string hex;
    char pair[3];
    for (const unsigned char byte : random) {
        std::snprintf(pair, sizeof(pair), "%02x", byte);
        hex += pair;
    }
    return hex;
}

std::string AccountService::NewSession(const ServiceAccount& account) {
    std::string token = RandomHex(24);
    sessions_[token] = account.id;
    return token;
}

void AccountService::MailCode(const ServiceAccount& account, const char* purpose) {
    for (auto code = codes_.begin(); code != codes_.end();) {
        code = code->second == account.id ? codes_.erase(code) : std::next(code);
    }
    std::string code;
    do {
        unsigned char random[4] = {};
        if (RAND_bytes(random, sizeof(random)) != 1) random[0] = static_cast<unsigned char>(rarityDice_());
        const uint32_t value = (uint32_t{random[0]} << 24 | uint32_t{random[1]} << 16 | uint32_t{random[2]} << 8 |
                                uint32_t{random[3]}) %
                               1000000u;
        char digits[8];
        std::snprintf(digits, sizeof(digits), "%06u", value);
        code = digits;
    } while (codes_.count(code) != 0);
    codes_[code] = account.id;
    lastCodes_[Lower(account.email)] = code;
    if (printMail_) {
        std::printf("[double] mail to %s: %s code %s\n", account.email.c_str(), purpose, code.c_str());
        std::fflush(stdout);
    }
}

std::string AccountService::NewItemId() {
    return std::to_string(nextItem_++);
}

std::string AccountService::RollRarity() {
    int64_t total = 0;
    for (const Rarity& rarity : catalogue_.rarities) total += std::max(0, rarity.weight);
    if (total <= 0) return "common";
    int64_t roll = std::uniform_int_distribution<int64_t>(0, total - 1)(rarityDice_);
    for (const Rarity& rarity : catalogue_.rarities) {
        roll -= std::max(0, rarity.weight);
        if (roll < 0) return rarity.id;
    }
    return "common";
}

std::string AccountService::LastCode(const std::string& email) const {
    std::lock_guard lock(mutex_);
    const auto found = lastCodes_.find(Lower(email));
    return found == lastCodes_.end() ? std::string() : found->second;
}

std::string AccountService::Seed(const SeededAccount& seeded) {
    std::lock_guard lock(mutex_);
    if (ByUsername(seeded.username) || (!seeded.email.empty() && ByEmail(seeded.email))) return {};
    ServiceAccount account;
    account.username = seeded.username;
    account.password = seeded.password;
    account.email = seeded.email;
    account.screenName = seeded.screenName;
    account.emailVerified = true;
    account.hasPassword = !seeded.password.empty();
    account.ironCoins = seeded.ironCoins;
    account.stardust = seeded.stardust;
    for (const std::string& def : seeded.itemDefs) account.items.push_back({NewItemId(), def, "common"});
    for (const std::string& def : seeded.vaultDefs) account.vault.push_back({NewItemId(), def, "common"});
    account.skins = seeded.skins;
    return AddAccount(std::move(account)).id;
}

std::string AccountService::StartSession(const std::string& username) {
    std::lock_guard lock(mutex_);
    const ServiceAccount* account = ByUsername(username);
    return account ? NewSession(*account) : std::string();
}

std::optional<ServiceAccount> AccountService::FindAccount(const std::string& username) const {
    std::lock_guard lock(mutex_);
    for (const ServiceAccount& account : accounts_) {
        if (SameText(account.username, username)) return account;
    }
    return std::nullopt;
}

std::string AccountService::TicketOwner(const std::string& ticket) const {
    std::lock_guard lock(mutex_);
    const auto found = tickets_.find(ticket);
    return found == tickets_.end() ? std::string() : found->second;
}

std::optional<StoreOrder> AccountService::FindOrder(const std::string& orderId) const {
    std::lock_guard lock(mutex_);
    for (const StoreOrder& order : orders_) {
        if (order.id == orderId) return order;
    }
    return std::nullopt;
}

bool AccountService::ExpireOrder(const std::string& orderId) {
    std::lock_guard lock(mutex_);
    for (StoreOrder& order : orders_) {
        if (order.id == orderId && order.status == "pending") {
            order.status = "expired";
            return true;
        }
    }
    return false;
}

void AccountService::SetCatalogue(const StoreCatalogue& catalogue) {
    std::lock_guard lock(mutex_);
    catalogue_ = catalogue;
}

void AccountService::SetGoogleAccount(const std::string& email) {
    std::lock_guard lock(mutex_);
    googleEmail_ = email;
}

void AccountService::SetGoogleDeclines(bool declines) {
    std::lock_guard lock(mutex_);
    googleDeclines_ = declines;
}

void AccountService::PublishBuild(uint32_t build, const std::string& name, uint64_t bytes) {
    const std::string sha256 = build == 0 ? std::string() : GeneratedSha256(bytes);
    std::lock_guard lock(mutex_);
    build_ = build;
    buildName_ = name;
    buildBytes_ = bytes;
    buildSha256_ = sha256;
}

void AccountService::PrintMail(bool print) {
    std::lock_guard lock(mutex_);
    printMail_ = print;
}

}  // namespace testsupport
