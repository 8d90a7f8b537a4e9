#include "client/payment_status.h"

#include <algorithm>
#include <limits>

#include "client/joint_physics.h"
#include "online/open_in_browser.h"

namespace {

void PlaySound(const PaymentContext& context, int32_t sound)
{
    if (context.play) {
        context.play(sound);
        return;
    }
    if (context.audio == nullptr || sound < 0) return;
    const float volume = context.tuning != nullptr ? context.tuning->eventSoundVolume : 0.8f;
    context.audio->Play(sound, volume, 1.0f);
}

void OnCheckoutStarted(PaymentContext& context, const net::AccountClient::CheckoutEvent& event, double now)
{
    net::StoreState& store = *context.store;
    if (event.ok && !event.url.empty() && !event.orderId.empty()) {
        store.orderId = event.orderId;
        store.url = event.url;
        store.waiting = true;
        store.startedAt = now;
        store.nextPoll = now + kOrderPollSeconds;
        store.message.clear();
        store.failed = false;
        const bool opened = context.openPage != nullptr ? context.openPage(event.url) : net::OpenInBrowser(event.url);
        if (!opened) {
            store.message = "Your browser could not be opened.";
            store.failed = true;
        }
        return;
    }
    store.message = event.message.empty() ? "The payment page could not be opened." : event.message;
    store.failed = true;
    PlaySound(context, context.errorSound);
}

void OnOrderStatus(PaymentContext& context, const net::AccountClient::CheckoutEvent& event, double now)
{
    net::StoreState& store = *context.store;
    if (event.orderId != store.orderId) return;
    if (!event.ok) {
        store.nextPoll = now + kOrderRetrySeconds;
        return;
    }
    if (event.status == "paid") {
        store.granted = int32_t(std::clamp<int64_t>(event.stardust, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        store.paidAt = now;
        store.orderId.clear();
        store.waiting = false;
        store.message.clear();
        store.failed = false;
        PlaySound(context, context.paymentSound);
    } else if (event.status == "pending") {
        store.nextPoll = now + kOrderPollSeconds;
    } else {
        store.orderId.clear();
        store.waiting = false;
        store.message = event.status == "expired" ? "The payment page expired. Nothing was charged."
                                                  : "The payment did not go through.";
        store.failed = true;
    }
}

void OnSkinBought(PaymentContext& context, const net::AccountClient::CheckoutEvent& event)
{
    net::StoreState& store = *context.store;
    if (!event.ok) {
        store.message = event.message;
        store.failed = true;
        PlaySound(context, context.errorSound);
        return;
    }
    PlaySound(context, context.purchaseSound);
    const int32_t armour = context.selectedArmour > 4 ? 0 : std::max(context.selectedArmour, 0);
    const bool selectedSuit = context.tuning != nullptr && event.suit == context.tuning->Armor(armour).id;
    if (selectedSuit && context.selectedSkin != nullptr) {
        *context.selectedSkin = event.skin;
        if (context.ownPhysics != nullptr) context.ownPhysics->Reset();
        for (size_t i = 0; i < context.slotPhysicsCount; ++i) context.slotPhysics[i].Reset();
    }
    store.open = false;
}

}  // namespace

void PaymentStatusMessage(PaymentContext& context, double now)
{
    net::AccountClient& account = *context.account;
    net::StoreState& store = *context.store;
    if (account.state != net::AccountClient::SignedIn) {
        store = net::StoreState();
        return;
    }
    net::AccountClient::CheckoutEvent event;
    while (account.PollCheckoutEvent(event)) {
        switch (event.kind) {
        case 0:
            OnCheckoutStarted(context, event, now);
            break;
        case 1:
            OnOrderStatus(context, event, now);
            break;
        case 2:
            OnSkinBought(context, event);
            break;
        default:
            break;
        }
    }
    if (store.orderId.empty() || now < store.nextPoll || account.storeJobPending) return;
    if (now - store.startedAt > kCheckoutGiveUpSeconds) {
        store.orderId.clear();
        store.waiting = false;
        return;
    }
    account.CheckOrder(store.orderId);
    store.nextPoll = now + kOrderQuietSeconds;
}
