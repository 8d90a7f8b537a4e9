// Store requests: recorded in the one pending store slot and sent by the locker scheduler, so a
// second request waits until the first one's Result has been applied.
#include "online/account_client.h"
#include "online/account_jobs.h"

namespace net {

namespace {

bool IsOrderId(const std::string& id) {
    if (id.empty() || id.size() > 18) return false;
    for (char c : id)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

void AccountClient::StartCheckout(const std::string& bundleId) {
    if (state != SignedIn || storeJobPending || !IsPlainId(bundleId, 48)) return;
    storeJobPending = true;
    pendingStoreJob = [this, bundleId] { return StartCheckoutJob(*this, bundleId); };
}

void AccountClient::CheckOrder(const std::string& orderId) {
    if (state != SignedIn || storeJobPending || !IsOrderId(orderId)) return;
    storeJobPending = true;
    pendingStoreJob = [this, orderId] { return CheckOrderJob(*this, orderId); };
}

void AccountClient::BuySkin(const std::string& skin, const std::string& suit) {
    if (state != SignedIn || storeJobPending || !IsPlainId(skin, 48) || !IsPlainId(suit, 24)) return;
    storeJobPending = true;
    pendingStoreJob = [this, skin, suit] { return BuySkinJob(*this, skin, suit); };
}

}  // namespace net
