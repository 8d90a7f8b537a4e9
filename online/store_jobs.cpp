// The store endpoints: a checkout, an order's status and a skin bought for stardust. Each comes
// back to the store panel as a checkout event.
#include "game/json_value.h"
#include "online/account_jobs.h"
#include "online/json_body_writer.h"
#include "online/locker_reader.h"
#include "online/reply_key_scanner.h"

namespace net {
namespace {

using Result = AccountClient::Result;

constexpr const char* kStoreUnreachable = "The store could not be reached.";

Result StoreResult(int32_t kind)
{
    Result result;
    result.background = true;
    result.lockerJob = AccountClient::LockerStoreRequest;
    result.checkout.kind = kind;
    return result;
}

}  // namespace

Result StartCheckoutJob(AccountClient& client, const std::string& bundleId)
{
    Result result = StoreResult(0);
    const HttpResponse reply = HttpsPost(client.Endpoint(), "/api/store/checkout",
                                         JsonObject({JsonStringMember("bundle", bundleId)}), client.SessionToken(),
                                         &client.stopping);
    json::Value document;
    if (ParseReplyDocument(reply, document)) {
        result.ok = true;
        result.checkout.ok = true;
        result.checkout.url = document.Find("url").AsString();
        result.checkout.orderId = document.Find("order").AsString();
    } else {
        result.checkout.message = ReplyErrorText(reply, kStoreUnreachable);
    }
    return result;
}

Result CheckOrderJob(AccountClient& client, const std::string& orderId)
{
    Result result = StoreResult(1);
    result.checkout.orderId = orderId;
    const HttpResponse reply =
        HttpsGet(client.Endpoint(), "/api/store/order?id=" + orderId, client.SessionToken(), &client.stopping);
    json::Value document;
    if (ParseReplyDocument(reply, document)) {
        result.ok = true;
        result.checkout.ok = true;
        result.checkout.status = document.Find("status").AsString();
        // The stardust the order granted.
        result.checkout.stardust = document.Find("stardust").AsInt(0);
        result.account = ReadAccountObject(document.Find("account"));
    } else {
        result.checkout.message = ReplyErrorText(reply, kStoreUnreachable);
    }
    return result;
}

Result BuySkinJob(AccountClient& client, const std::string& skin, const std::string& suit)
{
    Result result = StoreResult(2);
    result.checkout.skin = skin;
    result.checkout.suit = suit;
    const HttpResponse reply =
        HttpsPost(client.Endpoint(), "/api/store/skin",
                  JsonObject({JsonStringMember("skin", skin), JsonStringMember("suit", suit)}), client.SessionToken(),
                  &client.stopping);
    json::Value document;
    if (ParseReplyDocument(reply, document)) {
        result.ok = true;
        result.checkout.ok = true;
        result.account = ReadAccountObject(document.Find("account"));
        result.skins = ReadStringArray(document.Find("skins"));
    } else {
        result.checkout.message = ReplyErrorText(reply, kStoreUnreachable);
    }
    return result;
}

}  // namespace net
