#include "online/locker_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "game/json_reader.h"

namespace locker_reader_test {

TEST(LockerReader, ReadsEveryMemberOfTheLockerDocument)
{
    const std::string body = R"({
        "capacity": 120,
        "items": [{"id":"11","def":"cap","rarity":"rare"}, {"id":"12","def":"scarf"}, {"id":"13","def":"belt","rarity":""}],
        "vaultCapacity": 40,
        "vault": [{"id":"21","def":"crown","rarity":"legendary"}],
        "skins": ["blue_camo", 7, "red"],
        "store": {"enabled": true,
                  "bundles": [{"id":"small","cents":499,"stardust":500,"bonusPercent":10}, {"id":"bare"}],
                  "skins": [{"id":"gold","price":900,"suits":["blue","red"]}]},
        "offers": [{"id":"crate","name":"Crate","price":250,"class":"box"}],
        "rarities": [{"id":"common","weight":70}, {"id":"rare","weight":25}],
        "active": 1,
        "loadouts": [
            {"slot":1,"armor":2,"primary":4,"secondary":9,"power":3,"head":"11","head2":"","back":"12","waist":"13","skin":"red"},
            {"slot":0},
            {"slot":2,"armor":3},
            {"armor":4}
        ]
    })";
    const net::Locker locker = net::ReadLockerDocument(body);
    ASSERT_TRUE(locker.loaded);
    EXPECT_EQ(locker.capacity, 120);
    ASSERT_EQ(locker.items.size(), 3u);
    EXPECT_EQ(locker.items[0].id, "11");
    EXPECT_EQ(locker.items[0].def, "cap");
    EXPECT_EQ(locker.items[0].rarity, "rare");
    EXPECT_EQ(locker.items[1].rarity, "common");
    EXPECT_EQ(locker.items[2].rarity, "common");
    EXPECT_EQ(locker.vaultCapacity, 40);
    ASSERT_EQ(locker.vault.size(), 1u);
    EXPECT_EQ(locker.vault[0].def, "crown");
    EXPECT_EQ(locker.skins, (std::vector<std::string>{"blue_camo", "red"}));

    EXPECT_TRUE(locker.storeEnabled);
    ASSERT_EQ(locker.bundles.size(), 2u);
    EXPECT_EQ(locker.bundles[0].id, "small");
    EXPECT_EQ(locker.bundles[0].cents, 499);
    EXPECT_EQ(locker.bundles[0].stardust, 500);
    EXPECT_EQ(locker.bundles[0].bonusPercent, 10);
    EXPECT_EQ(locker.bundles[1].cents, 0);
    ASSERT_EQ(locker.storeSkins.size(), 1u);
    EXPECT_EQ(locker.storeSkins[0].id, "gold");
    EXPECT_EQ(locker.storeSkins[0].price, 900);
    EXPECT_EQ(locker.storeSkins[0].suits, (std::vector<std::string>{"blue", "red"}));
    ASSERT_EQ(locker.offers.size(), 1u);
    EXPECT_EQ(locker.offers[0].id, "crate");
    EXPECT_EQ(locker.offers[0].name, "Crate");
    EXPECT_EQ(locker.offers[0].price, 250);
    EXPECT_EQ(locker.offers[0].itemClass, "box");
    ASSERT_EQ(locker.rarities.size(), 2u);
    EXPECT_EQ(locker.rarities[1].id, "rare");
    EXPECT_EQ(locker.rarities[1].weight, 25);

    EXPECT_EQ(locker.activeSlot, 1);
    const net::Loadout& second = locker.loadouts[1];
    EXPECT_TRUE(second.present);
    EXPECT_EQ(second.armor, 2);
    EXPECT_EQ(second.primary, 4);
    EXPECT_EQ(second.secondary, 9);
    EXPECT_EQ(second.power, 3);
    EXPECT_EQ(second.head, "11");
    EXPECT_EQ(second.head2, "");
    EXPECT_EQ(second.back, "12");
    EXPECT_EQ(second.waist, "13");
    EXPECT_EQ(second.skin, "red");
    // Slot 0 has only its defaults; the entries of slot 2 and without a slot are ignored.
    const net::Loadout& first = locker.loadouts[0];
    EXPECT_TRUE(first.present);
    EXPECT_EQ(first.armor, 0);
    EXPECT_EQ(first.primary, 1);
    EXPECT_EQ(first.secondary, 8);
}

TEST(LockerReader, AnEmptyObjectIsALoadedLockerOfDefaults)
{
    const net::Locker locker = net::ReadLockerDocument("{\"active\":2}");
    EXPECT_TRUE(locker.loaded);
    EXPECT_EQ(locker.capacity, 100);
    EXPECT_EQ(locker.vaultCapacity, 100);
    EXPECT_EQ(locker.activeSlot, 0);
    EXPECT_FALSE(locker.loadouts[0].present);
    EXPECT_FALSE(locker.storeEnabled);
}

TEST(LockerReader, AReplyThatIsNoLockerDocumentIsNotLoaded)
{
    for (const char* body : {"", "<html>busy</html>", "{\"capacity\":3", "[]", "5"}) {
        const net::Locker locker = net::ReadLockerDocument(body);
        EXPECT_FALSE(locker.loaded) << body;
        EXPECT_EQ(locker.capacity, 100) << body;
        EXPECT_TRUE(locker.items.empty()) << body;
    }
}

TEST(LockerReader, ReadsTheAccountObjectWithItsDefaults)
{
    json::Value document;
    ASSERT_TRUE(json::Parse(R"({"account":{"id":"9","screenName":"Bo","elo":1300,"stardust":70,"linkedGoogle":true}})",
                            document));
    const net::AccountInfo account = net::ReadAccountObject(document.Find("account"));
    EXPECT_EQ(account.id, "9");
    EXPECT_EQ(account.screenName, "Bo");
    EXPECT_EQ(account.elo, 1300);
    EXPECT_EQ(account.stardust, 70);
    EXPECT_TRUE(account.linkedGoogle);
    EXPECT_EQ(account.bux, 0);

    const net::AccountInfo absent = net::ReadAccountObject(document.Find("nothing"));
    EXPECT_EQ(absent.id, "");
    EXPECT_EQ(absent.elo, 500);
}

}  // namespace locker_reader_test
