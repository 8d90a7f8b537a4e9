#include "online/locker_reader.h"

#include "game/json_reader.h"

namespace net {
namespace {

std::vector<LockerItem> ReadLockerItems(const json::Value& array)
{
    std::vector<LockerItem> items;
    for (const json::Value& element : array.items) {
        items.push_back(ReadLockerItem(element));
    }
    return items;
}

Loadout ReadLoadout(const json::Value& object)
{
    Loadout loadout;
    loadout.present = true;
    loadout.armor = object.Find("armor").AsInt(0);
    loadout.primary = object.Find("primary").AsInt(1);
    loadout.secondary = object.Find("secondary").AsInt(8);
    loadout.power = object.Find("power").AsInt(0);
    loadout.head = object.Find("head").AsString();
    loadout.head2 = object.Find("head2").AsString();
    loadout.back = object.Find("back").AsString();
    loadout.waist = object.Find("waist").AsString();
    loadout.skin = object.Find("skin").AsString();
    return loadout;
}

}  // namespace

bool ParseReplyDocument(const HttpResponse& response, json::Value& document)
{
    return response.error.empty() && response.status >= 200 && response.status <= 299 &&
           json::Parse(response.body, document);
}

std::vector<std::string> ReadStringArray(const json::Value& array)
{
    std::vector<std::string> texts;
    for (const json::Value& element : array.items) {
        if (element.kind == json::Kind::String) {
            texts.push_back(element.text);
        }
    }
    return texts;
}

LockerItem ReadLockerItem(const json::Value& object)
{
    LockerItem item;
    item.id = object.Find("id").AsString();
    item.def = object.Find("def").AsString();
    const std::string& rarity = object.Find("rarity").AsString();
    if (!rarity.empty()) {
        item.rarity = rarity;
    }
    return item;
}

AccountInfo ReadAccountObject(const json::Value& object)
{
    AccountInfo account;
    account.id = object.Find("id").AsString();
    account.username = object.Find("username").AsString();
    account.screenName = object.Find("screenName").AsString();
    account.email = object.Find("email").AsString();
    account.emailVerified = object.Find("emailVerified").AsBool(false);
    account.bux = object.Find("bux").AsInt(0);
    account.elo = object.Find("elo").AsInt(500);
    account.hasPassword = object.Find("hasPassword").AsBool(false);
    account.linkedGoogle = object.Find("linkedGoogle").AsBool(false);
    account.ironCoins = object.Find("ironCoins").AsInt(0);
    account.stardust = object.Find("stardust").AsInt(0);
    return account;
}

Locker ReadLockerDocument(const std::string& body)
{
    Locker locker;
    json::Value document;
    // A document that is not an object holds no locker either: reading it as an empty one would
    // replace the player's copy with nothing.
    if (!json::Parse(body, document) || document.kind != json::Kind::Object) {
        return locker;
    }
    locker.capacity = document.Find("capacity").AsInt(100);
    locker.items = ReadLockerItems(document.Find("items"));
    locker.vaultCapacity = document.Find("vaultCapacity").AsInt(100);
    locker.vault = ReadLockerItems(document.Find("vault"));
    locker.skins = ReadStringArray(document.Find("skins"));

    const json::Value& store = document.Find("store");
    locker.storeEnabled = store.Find("enabled").AsBool(false);
    for (const json::Value& entry : store.Find("bundles").items) {
        StoreBundle bundle;
        bundle.id = entry.Find("id").AsString();
        bundle.cents = entry.Find("cents").AsInt(0);
        bundle.stardust = entry.Find("stardust").AsInt(0);
        bundle.bonusPercent = entry.Find("bonusPercent").AsInt(0);
        locker.bundles.push_back(bundle);
    }
    for (const json::Value& entry : store.Find("skins").items) {
        StoreSkin skin;
        skin.id = entry.Find("id").AsString();
        skin.price = entry.Find("price").AsInt(0);
        skin.suits = ReadStringArray(entry.Find("suits"));
        locker.storeSkins.push_back(skin);
    }
    for (const json::Value& entry : document.Find("offers").items) {
        ShopOffer offer;
        offer.id = entry.Find("id").AsString();
        offer.name = entry.Find("name").AsString();
        offer.price = entry.Find("price").AsInt(0);
        offer.itemClass = entry.Find("class").AsString();
        locker.offers.push_back(offer);
    }
    for (const json::Value& entry : document.Find("rarities").items) {
        RarityWeight rarity;
        rarity.id = entry.Find("id").AsString();
        rarity.weight = entry.Find("weight").AsInt(0);
        locker.rarities.push_back(rarity);
    }

    locker.activeSlot = document.Find("active").AsInt(0) == 1 ? 1 : 0;
    for (const json::Value& entry : document.Find("loadouts").items) {
        const int32_t slot = entry.Find("slot").AsInt(-1);
        if (slot == 0 || slot == 1) {
            locker.loadouts[slot] = ReadLoadout(entry);
        }
    }
    locker.loaded = true;
    return locker;
}

}  // namespace net
