// The account service's locker: the document of owned items, vault, skins, loadouts and the
// catalogue; loadout saves; and the shop, which sells items for iron coins into the vault, from
// where they are claimed into the inventory or destroyed.
#include <algorithm>
#include <limits>

#include "support/account_double/account_service.h"
#include "support/account_double/service_messages.h"

namespace testsupport {
namespace {

constexpr size_t kMostIdsPerRequest = 100;

bool IsDigits(const std::string& text, size_t longest) {
    return !text.empty() && text.size() <= longest && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsSkinName(const std::string& text) {
    return !text.empty() && text.size() <= 48 &&
           text.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos;
}

std::string OptionalJson(const std::optional<std::string>& value) {
    return value ? JsonString(*value) : "null";
}

// The members in the order the game writes them, so that a saved loadout reads back as sent.
std::string LoadoutJson(int slot, const ServiceLoadout& loadout) {
    return JsonObject()
        .Int("slot", slot)
        .Int("armor", loadout.armor)
        .Int("primary", loadout.primary)
        .Int("secondary", loadout.secondary)
        .Int("power", loadout.power)
        .Raw("head", OptionalJson(loadout.head))
        .Raw("head2", OptionalJson(loadout.head2))
        .Raw("back", OptionalJson(loadout.back))
        .Raw("waist", OptionalJson(loadout.waist))
        .Raw("skin", OptionalJson(loadout.skin))
        .Close();
}

std::string ItemsJson(const std::vector<ServiceItem>& items) {
    return JsonArray(items, ItemJson);
}

std::string CatalogueStoreJson(const StoreCatalogue& catalogue) {
    const std::string bundles = JsonArray(catalogue.bundles, [](const StoreBundle& bundle) {
        return JsonObject()
            .Text("id", bundle.id)
            .Int("cents", bundle.cents)
            .Int("stardust", bundle.stardust)
            .Int("bonusPercent", bundle.bonusPercent)
            .Close();
    });
    const std::string skins = JsonArray(catalogue.skins, [](const StoreSkin& skin) {
        return JsonObject().Text("id", skin.id).Int("price", skin.price).Raw("suits", JsonStringArray(skin.suits)).Close();
    });
    return JsonObject().Bool("enabled", catalogue.enabled).Raw("bundles", bundles).Raw("skins", skins).Close();
}

// A null or absent member stays empty; a string must pass `valid`.
bool ReadOptionalId(const json::Value& body, const std::string& key, bool (*valid)(const std::string&),
                    std::optional<std::string>& out) {
    const json::Value& member = body.Find(key);
    if (member.kind == json::Kind::Null) return true;
    if (member.kind != json::Kind::String || !valid(member.text)) return false;
    out = member.text;
    return true;
}

bool IsItemId(const std::string& text) {
    return IsDigits(text, 18);
}

// The "items" array of a claim or destroy: 1 to 100 item ids.
bool ReadIdList(const json::Value& body, std::vector<std::string>& ids, DoubleReply& refusal) {
    const json::Value& items = body.Find("items");
    const bool sized = items.kind == json::Kind::Array && items.Size() >= 1 &&
                       items.Size() <= static_cast<int64_t>(kMostIdsPerRequest);
    for (int64_t i = 0; sized && i < items.Size(); ++i) {
        const json::Value& id = items.At(static_cast<uint64_t>(i));
        if (id.kind != json::Kind::String || !IsItemId(id.text)) break;
        ids.push_back(id.text);
    }
    if (!sized || static_cast<int64_t>(ids.size()) != items.Size()) {
        refusal = ErrorReply(400, "invalid_request", "\"items\" must list 1 to 100 item ids.");
        return false;
    }
    return true;
}

// Takes the first vault item with `id` out of the vault.
std::optional<ServiceItem> TakeFromVault(ServiceAccount& account, const std::string& id) {
    const auto found = std::find_if(account.vault.begin(), account.vault.end(),
                                    [&](const ServiceItem& item) { return item.id == id; });
    if (found == account.vault.end()) return std::nullopt;
    ServiceItem item = *found;
    account.vault.erase(found);
    return item;
}

}  // namespace

DoubleReply AccountService::Locker(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    const ServiceAccount* account = Authorize(request, refusal);
    if (!account) return refusal;

    const std::string offers = JsonArray(catalogue_.offers, [](const ShopOffer& offer) {
        return JsonObject()
            .Text("id", offer.id)
            .Text("name", offer.name)
            .Int("price", offer.price)
            .Text("class", offer.itemClass)
            .Close();
    });
    const std::string rarities = JsonArray(catalogue_.rarities, [](const Rarity& rarity) {
        return JsonObject().Text("id", rarity.id).Int("weight", rarity.weight).Close();
    });
    std::string loadouts = "[";
    for (int slot = 0; slot < 2; ++slot) {
        if (!account->loadouts[slot]) continue;
        if (loadouts.size() > 1) loadouts += ',';
        loadouts += LoadoutJson(slot, *account->loadouts[slot]);
    }
    return JsonReply(JsonObject()
                         .Int("capacity", account->capacity)
                         .Raw("items", ItemsJson(account->items))
                         .Int("vaultCapacity", account->vaultCapacity)
                         .Raw("vault", ItemsJson(account->vault))
                         .Raw("skins", JsonStringArray(account->skins))
                         .Raw("store", CatalogueStoreJson(catalogue_))
                         .Raw("offers", offers)
                         .Raw("rarities", rarities)
                         .Int("active", account->activeSlot)
                         .Raw("loadouts", loadouts + "]")
                         .Close());
}

DoubleReply AccountService::SaveLoadout(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;

    int64_t slot = 0;
    if (!IntegerMember(body, "slot", 0, 1, slot)) return ErrorReply(400, "invalid_slot", "\"slot\" must be 0 or 1.");
    constexpr int64_t low = std::numeric_limits<int32_t>::min();
    constexpr int64_t high = std::numeric_limits<int32_t>::max();
    int64_t numbers[4] = {};
    const char* numberKeys[4] = {"armor", "primary", "secondary", "power"};
    for (int i = 0; i < 4; ++i) {
        if (!IntegerMember(body, numberKeys[i], low, high, numbers[i])) {
            return ErrorReply(400, "invalid_loadout", std::string("\"") + numberKeys[i] + "\" must be a whole number.");
        }
    }
    ServiceLoadout loadout;
    loadout.armor = static_cast<int32_t>(numbers[0]);
    loadout.primary = static_cast<int32_t>(numbers[1]);
    loadout.secondary = static_cast<int32_t>(numbers[2]);
    loadout.power = static_cast<int32_t>(numbers[3]);
    const bool accessoriesRead = ReadOptionalId(body, "head", IsItemId, loadout.head) &&
                                 ReadOptionalId(body, "head2", IsItemId, loadout.head2) &&
                                 ReadOptionalId(body, "back", IsItemId, loadout.back) &&
                                 ReadOptionalId(body, "waist", IsItemId, loadout.waist);
    if (!accessoriesRead) return ErrorReply(400, "invalid_loadout", "An accessory must be an item id or null.");
    if (!ReadOptionalId(body, "skin", IsSkinName, loadout.skin)) {
        return ErrorReply(400, "invalid_loadout", "\"skin\" must be a skin name or null.");
    }
    account->loadouts[slot] = loadout;
    return JsonReply(LoadoutJson(static_cast<int>(slot), loadout));
}

DoubleReply AccountService::SetActiveSlot(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;
    int64_t slot = 0;
    if (!IntegerMember(body, "slot", 0, 1, slot)) return ErrorReply(400, "invalid_slot", "\"slot\" must be 0 or 1.");
    account->activeSlot = static_cast<int32_t>(slot);
    return JsonReply(JsonObject().Int("active", slot).Close());
}

DoubleReply AccountService::BuyOffer(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;
    const std::string* offerId = StringMember(body, "offer");
    const auto offer = std::find_if(catalogue_.offers.begin(), catalogue_.offers.end(),
                                    [&](const ShopOffer& candidate) { return offerId && candidate.id == *offerId; });
    if (offer == catalogue_.offers.end()) return ErrorReply(404, "unknown_offer", "That item is not for sale.");
    if (account->ironCoins < offer->price) {
        const std::string price = std::to_string(offer->price);
        return ErrorReply(409, "not_enough_coins", "You need " + price + " iron coins for that.");
    }
    if (account->vault.size() >= static_cast<size_t>(std::max(0, account->vaultCapacity))) {
        return ErrorReply(409, "vault_full", "Your vault is full. Claim or destroy something first.");
    }
    account->ironCoins -= offer->price;
    account->vault.push_back({NewItemId(), offer->id, RollRarity()});
    return JsonReply(
        JsonObject().Raw("item", ItemJson(account->vault.back())).Raw("account", AccountJson(*account)).Close());
}

DoubleReply AccountService::ClaimItems(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    std::vector<std::string> ids;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account || !ReadIdList(body, ids, refusal)) return refusal;

    std::vector<std::string> claimed;
    std::vector<std::string> noRoom;
    for (const std::string& id : ids) {
        const bool inVault = std::any_of(account->vault.begin(), account->vault.end(),
                                         [&](const ServiceItem& item) { return item.id == id; });
        if (!inVault) continue;
        if (account->items.size() >= static_cast<size_t>(std::max(0, account->capacity))) {
            noRoom.push_back(id);
            continue;
        }
        account->items.push_back(*TakeFromVault(*account, id));
        claimed.push_back(id);
    }
    return JsonReply(JsonObject()
                         .Raw("claimed", JsonStringArray(claimed))
                         .Raw("noRoom", JsonStringArray(noRoom))
                         .Raw("account", AccountJson(*account))
                         .Close());
}

DoubleReply AccountService::DestroyItems(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;

    std::vector<std::string> destroyed;
    if (body.Find("all").AsBool(false)) {
        for (const ServiceItem& item : account->vault) destroyed.push_back(item.id);
        account->vault.clear();
    } else {
        std::vector<std::string> ids;
        if (!ReadIdList(body, ids, refusal)) return refusal;
        for (const std::string& id : ids) {
            if (TakeFromVault(*account, id)) destroyed.push_back(id);
        }
    }
    return JsonReply(
        JsonObject().Raw("destroyed", JsonStringArray(destroyed)).Raw("account", AccountJson(*account)).Close());
}

}  // namespace testsupport
