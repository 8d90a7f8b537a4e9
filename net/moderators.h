#pragma once
// Roles of players and the server's list of ranked accounts ("moderators.txt").
#include <cstdint>
#include <string>

namespace net {

enum Role : uint8_t { kRolePlayer = 0, kRoleModerator = 1, kRoleStaff = 2 };

struct RankedAccount {
    std::string account;  // lower case
    uint8_t role = kRoleModerator;
};

// "", "MOD" or "ZELL"; any other value gives "".
const char* RoleTag(uint8_t role);
// "zell" 2; "mod" and "moderator" 1; anything else 0. Letter case is ignored.
uint8_t ParseRole(const std::string& word);

}  // namespace net
