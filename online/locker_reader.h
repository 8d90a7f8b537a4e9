#pragma once
// Reading the locker, shop and store replies, which are parsed as whole JSON documents. Every
// member has its default when it is absent or of another kind, so a reply from a newer or older
// service still yields a usable record.
#include <string>
#include <vector>

#include "game/json_value.h"
#include "online/account_records.h"
#include "online/https_transport.h"

namespace net {

// The store and shop replies count only when the exchange completed with a 2xx status and the
// body parses; `document` then holds it.
bool ParseReplyDocument(const HttpResponse& response, json::Value& document);

// The string elements of an array, in order; elements of other kinds are skipped.
std::vector<std::string> ReadStringArray(const json::Value& array);

// "id", "def" and "rarity" ("common" when absent or empty).
LockerItem ReadLockerItem(const json::Value& object);

// The members of a reply's "account" object; all defaults (elo 500) when it is not an object.
AccountInfo ReadAccountObject(const json::Value& object);

// The reply of the locker fetch. A body that does not parse as an object gives the default locker,
// not loaded; otherwise every member is read and the locker is marked loaded.
Locker ReadLockerDocument(const std::string& body);

}  // namespace net
