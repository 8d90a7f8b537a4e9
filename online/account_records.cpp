#include "online/account_records.h"

namespace net {

std::string AccountDisplayName(const AccountInfo& account)
{
    return account.screenName.empty() ? account.username : account.screenName;
}

}  // namespace net
