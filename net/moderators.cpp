#include "net/moderators.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "net/server.h"

namespace net {
namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string LowerCopy(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = LowerAscii(c);
    }
    return out;
}

// One line of the list, already cut at its line break; no record for a blank or comment line.
bool ParseModeratorLine(std::string_view line, RankedAccount& out)
{
    const size_t comment = line.find('#');
    if (comment != std::string_view::npos) {
        line = line.substr(0, comment);
    }
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    if (line.empty()) {
        return false;
    }
    const std::string lower = LowerCopy(line);
    const size_t gap = lower.find_first_of(" \t");
    if (gap == std::string::npos) {
        out = {lower, kRoleModerator};
        return true;
    }
    const uint8_t role = ParseRole(lower.substr(0, gap));
    if (role == kRolePlayer) {
        // Not a role word: the whole line names one account, inner spaces included.
        out = {lower, kRoleModerator};
        return true;
    }
    const size_t name = lower.find_first_not_of(" \t", gap);
    out = {lower.substr(name), role};
    return true;
}

}  // namespace

const char* RoleTag(uint8_t role)
{
    switch (role) {
    case kRoleModerator:
        return "MOD";
    case kRoleStaff:
        return "ZELL";
    default:
        return "";
    }
}

uint8_t ParseRole(const std::string& word)
{
    const std::string lower = LowerCopy(word);
    if (lower == "zell") {
        return kRoleStaff;
    }
    if (lower == "mod" || lower == "moderator") {
        return kRoleModerator;
    }
    return kRolePlayer;
}

std::vector<RankedAccount> Server::LoadModerators(const std::string& path)
{
    std::vector<RankedAccount> accounts;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return accounts;
    }
    std::string bytes;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);

    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        RankedAccount account;
        if (ParseModeratorLine(std::string_view(bytes).substr(start, end - start), account)) {
            accounts.push_back(std::move(account));
        }
        start = end + 1;
    }
    return accounts;
}

uint8_t Server::RankOf(const std::string& account) const
{
    if (account.empty() || moderators.empty()) {
        return kRolePlayer;
    }
    const std::string lower = LowerCopy(account);
    uint8_t rank = kRolePlayer;
    for (const RankedAccount& entry : moderators) {
        if (entry.account == lower && entry.role > rank) {
            rank = entry.role;
        }
    }
    return rank;
}

}  // namespace net
