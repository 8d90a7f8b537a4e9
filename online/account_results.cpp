// Applying finished jobs on the main thread: one Result per frame, oldest first.
#include "online/account_client.h"

namespace net {

void AccountClient::Pump() {
    ApplyResults();
    PumpLocker();
}

void AccountClient::ApplyResults() {
    Result result;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (results.empty()) return;
        result = std::move(results.front());
        results.pop_front();
    }
    if (result.lockerJob != NoLockerJob) {
        ApplyLockerResult(result);
        return;
    }
    if (result.background) {
        if (result.ok && !result.account.id.empty()) account = result.account;
        if (!result.gameTicket.empty()) {
            std::lock_guard<std::mutex> lock(mutex);
            gameTicket = result.gameTicket;
        }
        return;
    }

    state = result.state;
    lastOk = result.ok;
    message = result.message;
    error = result.error;
    if (result.ok || !result.account.id.empty()) account = result.account;
    if (result.sessionChanged) {
        if (!result.sessionToken.empty())
            SaveSession(result.sessionToken);
        else
            DeleteSession();
    }

    // A different owner (or none) invalidates the locker copy and everything recorded against it.
    std::string owner = state == SignedIn ? account.id : std::string();
    if (owner == lockerOwner) return;
    lockerOwner = owner;
    locker = Locker();
    lockerRevision += 1;
    loadoutDirty[0] = loadoutDirty[1] = false;
    pendingActiveSlot = -1;
    pendingOffer.clear();
    claimIds.clear();
    destroyIds.clear();
    shopEvents.clear();
    checkoutEvents.clear();
    destroyAll = false;
    shopJobPending = false;
    storeJobPending = false;
    pendingStoreJob = nullptr;
    needsLockerFetch = !owner.empty();
    nextLockerAttempt = 0.0;
}

}  // namespace net
