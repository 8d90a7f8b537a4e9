// The locker and shop endpoints: background jobs sent by the locker scheduler, each telling it by
// its lockerJob number how to apply the outcome.
#include <cstdio>
#include <utility>

#include "game/json_value.h"
#include "online/account_jobs.h"
#include "online/json_body_writer.h"
#include "online/locker_reader.h"
#include "online/reply_key_scanner.h"

namespace net {
namespace {

using Result = AccountClient::Result;

Result LockerResult(int32_t lockerJob)
{
    Result result;
    result.background = true;
    result.lockerJob = lockerJob;
    return result;
}

HttpResponse Post(AccountClient& client, const std::string& path, const std::string& body)
{
    return HttpsPost(client.Endpoint(), path, body, client.SessionToken(), &client.stopping);
}

// A reply cut short (a status but no whole body) is as passing as no reply at all.
bool IsTransientFailure(const HttpResponse& reply)
{
    return !reply.error.empty() || IsRetryableStatus(reply.status);
}

std::string ItemsBody(const std::vector<std::string>& ids)
{
    return "{\"items\":" + WriteJsonStringArray(ids) + "}";
}

}  // namespace

Result FetchLockerJob(AccountClient& client)
{
    Result result = LockerResult(AccountClient::LockerFetch);
    const HttpResponse reply = HttpsGet(client.Endpoint(), "/api/locker", client.SessionToken(), &client.stopping);
    if (IsSuccessReply(reply)) {
        Locker locker = ReadLockerDocument(reply.body);
        if (locker.loaded) {
            result.ok = true;
            result.locker = std::move(locker);
            return result;
        }
        // Taking this as an empty locker would throw the player's copy away; ask again later.
        result.retry = true;
        std::fprintf(stderr, "[locker] fetch failed: %s\n", "the reply could not be read");
        return result;
    }
    result.retry = IsTransientFailure(reply);
    std::fprintf(stderr, "[locker] fetch failed: %s\n", ReplyErrorText(reply, "no reason given").c_str());
    return result;
}

Result SaveLoadoutJob(AccountClient& client, int32_t slot, const Loadout& loadout)
{
    Result result = LockerResult(AccountClient::LockerSaveLoadout);
    // The slot and the loadout go back either way: a failed save is kept from them for the retry.
    result.slot = slot;
    result.loadout = loadout;
    const HttpResponse reply = Post(client, "/api/locker/loadout", LoadoutJson(slot, loadout));
    if (IsSuccessReply(reply)) {
        result.ok = true;
        return result;
    }
    result.retry = IsTransientFailure(reply);
    std::fprintf(stderr, "[locker] saving loadout %d failed: %s\n", slot + 1,
                 ReplyErrorText(reply, "no reason given").c_str());
    return result;
}

Result SetActiveSlotJob(AccountClient& client, int32_t slot)
{
    Result result = LockerResult(AccountClient::LockerSetActiveSlot);
    result.slot = slot;
    const HttpResponse reply = Post(client, "/api/locker/active", JsonObject({JsonNumberMember("slot", slot)}));
    if (IsSuccessReply(reply)) {
        result.ok = true;
    } else {
        result.retry = IsTransientFailure(reply);
    }
    return result;
}

Result BuyOfferJob(AccountClient& client, const std::string& offerId)
{
    Result result = LockerResult(AccountClient::LockerBuyOffer);
    result.shop.kind = 0;
    const HttpResponse reply = Post(client, "/api/shop/buy", JsonObject({JsonStringMember("offer", offerId)}));
    json::Value document;
    if (ParseReplyDocument(reply, document)) {
        result.ok = true;
        result.shop.ok = true;
        result.shop.item = ReadLockerItem(document.Find("item"));
        result.account = ReadAccountObject(document.Find("account"));
    } else {
        result.shop.message = ReplyErrorText(reply, "The shop could not be reached.");
    }
    return result;
}

Result ClaimVaultItemsJob(AccountClient& client, const std::vector<std::string>& ids)
{
    Result result = LockerResult(AccountClient::LockerClaim);
    result.shop.kind = 1;
    const HttpResponse reply = Post(client, "/api/shop/claim", ItemsBody(ids));
    json::Value document;
    if (ParseReplyDocument(reply, document)) {
        result.ok = true;
        result.shop.ok = true;
        result.ids = ReadStringArray(document.Find("claimed"));
        result.noRoomIds = ReadStringArray(document.Find("noRoom"));
    } else {
        result.shop.message = ReplyErrorText(reply, "The vault could not be reached.");
    }
    return result;
}

Result DestroyVaultItemsJob(AccountClient& client, const std::vector<std::string>& ids, bool all)
{
    Result result = LockerResult(AccountClient::LockerDestroy);
    result.shop.kind = 2;
    const HttpResponse reply = Post(client, "/api/shop/destroy", all ? std::string("{\"all\":true}") : ItemsBody(ids));
    json::Value document;
    if (ParseReplyDocument(reply, document)) {
        result.ok = true;
        result.shop.ok = true;
        result.shop.all = all;
        result.ids = ReadStringArray(document.Find("destroyed"));
    } else {
        result.shop.message = ReplyErrorText(reply, "The vault could not be reached.");
    }
    return result;
}

}  // namespace net
