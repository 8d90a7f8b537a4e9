// The account service's stardust store: bundles paid on the double's own payment page (an order
// stays pending until a browser visits the page) and skins bought with stardust.
#include <algorithm>

#include "support/account_double/account_service.h"
#include "support/account_double/service_messages.h"

namespace testsupport {

DoubleReply AccountService::Checkout(const LoggedRequest& request, uint16_t port) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    const ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;
    if (!catalogue_.enabled) return ErrorReply(503, "store_closed", "The store is closed for now.");
    const std::string* bundleId = StringMember(body, "bundle");
    const auto bundle =
        std::find_if(catalogue_.bundles.begin(), catalogue_.bundles.end(),
                     [&](const StoreBundle& candidate) { return bundleId && candidate.id == *bundleId; });
    if (bundle == catalogue_.bundles.end()) return ErrorReply(404, "unknown_bundle", "That bundle is not for sale.");

    StoreOrder order;
    order.id = std::to_string(nextOrder_++);
    order.accountId = account->id;
    order.bundle = bundle->id;
    order.stardust = bundle->stardust;
    orders_.push_back(order);
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/pay?order=" + order.id;
    return JsonReply(JsonObject().Text("url", url).Text("order", order.id).Close());
}

DoubleReply AccountService::OrderStatus(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    const ServiceAccount* account = Authorize(request, refusal);
    if (!account) return refusal;
    const std::string id = QueryValue(request, "id");
    // Another account's order is answered as if it did not exist.
    const auto order = std::find_if(orders_.begin(), orders_.end(), [&](const StoreOrder& candidate) {
        return candidate.id == id && candidate.accountId == account->id;
    });
    if (order == orders_.end()) return ErrorReply(404, "unknown_order", "There is no such order.");
    return JsonReply(JsonObject()
                         .Text("order", order->id)
                         .Text("status", order->status)
                         .Int("stardust", order->status == "paid" ? order->stardust : 0)
                         .Raw("account", AccountJson(*account))
                         .Close());
}

DoubleReply AccountService::PaymentPage(const LoggedRequest& request) {
    const std::string id = QueryValue(request, "order");
    std::lock_guard lock(mutex_);
    const auto order =
        std::find_if(orders_.begin(), orders_.end(), [&](const StoreOrder& candidate) { return candidate.id == id; });
    if (order == orders_.end()) return HtmlPage(404, "No such order", "This payment link is not valid.");
    if (order->status == "expired") return HtmlPage(410, "Payment page expired", "Nothing was charged.");
    if (order->status == "pending") {
        ServiceAccount* account = ById(order->accountId);
        if (!account) return HtmlPage(404, "No such order", "This payment link is not valid.");
        // The grant happens here and only here, so a second visit or a repeated status check
        // cannot pay twice.
        account->stardust += order->stardust;
        order->status = "paid";
    }
    const std::string amount = std::to_string(order->stardust);
    return HtmlPage(200, "Payment received", amount + " stardust. You can go back to Zell War.");
}

DoubleReply AccountService::BuySkin(const LoggedRequest& request) {
    std::lock_guard lock(mutex_);
    DoubleReply refusal;
    json::Value body;
    ServiceAccount* account = AuthorizeWithBody(request, body, refusal);
    if (!account) return refusal;
    const std::string* skinId = StringMember(body, "skin");
    const std::string* suit = StringMember(body, "suit");
    const auto skin = std::find_if(catalogue_.skins.begin(), catalogue_.skins.end(),
                                   [&](const StoreSkin& candidate) { return skinId && candidate.id == *skinId; });
    if (skin == catalogue_.skins.end()) return ErrorReply(404, "unknown_skin", "That skin is not for sale.");
    if (!suit || std::find(skin->suits.begin(), skin->suits.end(), *suit) == skin->suits.end()) {
        return ErrorReply(400, "unknown_suit", "That skin is not made for that suit.");
    }
    // Owned skins are kept per suit, as "skin:suit".
    const std::string key = skin->id + ":" + *suit;
    if (std::find(account->skins.begin(), account->skins.end(), key) != account->skins.end()) {
        return ErrorReply(409, "already_owned", "You already own that skin.");
    }
    if (account->stardust < skin->price) {
        const std::string price = std::to_string(skin->price);
        return ErrorReply(409, "not_enough_stardust", "You need " + price + " stardust for that.");
    }
    account->stardust -= skin->price;
    account->skins.push_back(key);
    return JsonReply(
        JsonObject().Raw("account", AccountJson(*account)).Raw("skins", JsonStringArray(account->skins)).Close());
}

}  // namespace testsupport
