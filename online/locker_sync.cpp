// The locker copy and its synchronisation: the game edits the copy at once; PumpLocker sends the
// recorded work one job at a time when the worker is idle, in a fixed order of precedence, and
// pauses 5 s after a transient failure.
#include <cstdio>

#include "online/account_client.h"
#include "online/account_jobs.h"

namespace net {

namespace {

constexpr double kRetryPauseSeconds = 5.0;

bool IsOfferId(const std::string& id) {
    if (id.empty()) return false;
    for (char c : id) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain) return false;
    }
    return true;
}

}  // namespace

void AccountClient::SetLoadout(int32_t slot, const Loadout& loadout) {
    if (slot != 0 && slot != 1) return;
    Loadout stored = loadout;
    stored.present = true;
    locker.loadouts[slot] = stored;
    if (state != SignedIn) return;
    pendingLoadouts[slot] = stored;
    loadoutDirty[slot] = true;
}

void AccountClient::SetActiveLoadout(int32_t slot) {
    if (slot != 0 && slot != 1) return;
    locker.activeSlot = slot;
    if (state == SignedIn) pendingActiveSlot = slot;
}

void AccountClient::BuyOffer(const std::string& offerId) {
    if (state != SignedIn || shopJobPending || !IsOfferId(offerId)) return;
    pendingOffer = offerId;
    shopJobPending = true;
}

void AccountClient::ClaimVaultItems(const std::vector<std::string>& ids) {
    if (state != SignedIn || shopJobPending || !IsValidItemIdList(ids)) return;
    claimIds = ids;
    shopJobPending = true;
}

void AccountClient::DestroyVaultItems(const std::vector<std::string>& ids, bool all) {
    if (state != SignedIn || shopJobPending) return;
    if (!all && !IsValidItemIdList(ids)) return;
    destroyIds = all ? std::vector<std::string>() : ids;
    destroyAll = all;
    shopJobPending = true;
}

bool AccountClient::HasLockerWork() const {
    return needsLockerFetch || loadoutDirty[0] || loadoutDirty[1] || static_cast<bool>(pendingStoreJob) ||
           pendingActiveSlot >= 0 || !pendingOffer.empty() || !claimIds.empty() || !destroyIds.empty() ||
           destroyAll;
}

void AccountClient::PumpLocker() {
    if (!enabled || state != SignedIn || !HasLockerWork() || Now() < nextLockerAttempt) return;

    if (needsLockerFetch) {
        if (SubmitLockerJob([this] { return FetchLockerJob(*this); })) needsLockerFetch = false;
        return;
    }
    if (pendingStoreJob) {
        if (SubmitLockerJob(pendingStoreJob)) pendingStoreJob = nullptr;
        return;
    }
    if (!pendingOffer.empty()) {
        std::string offer = pendingOffer;
        if (SubmitLockerJob([this, offer] { return BuyOfferJob(*this, offer); })) pendingOffer.clear();
        return;
    }
    if (!claimIds.empty()) {
        std::vector<std::string> ids = claimIds;
        if (SubmitLockerJob([this, ids] { return ClaimVaultItemsJob(*this, ids); })) claimIds.clear();
        return;
    }
    if (!destroyIds.empty() || destroyAll) {
        std::vector<std::string> ids = destroyIds;
        bool all = destroyAll;
        if (SubmitLockerJob([this, ids, all] { return DestroyVaultItemsJob(*this, ids, all); })) {
            destroyIds.clear();
            destroyAll = false;
        }
        return;
    }
    if (pendingActiveSlot >= 0) {
        int32_t slot = pendingActiveSlot;
        if (SubmitLockerJob([this, slot] { return SetActiveSlotJob(*this, slot); })) pendingActiveSlot = -1;
        return;
    }
    int32_t slot = loadoutDirty[0] ? 0 : (loadoutDirty[1] ? 1 : -1);
    if (slot < 0) return;
    Loadout loadout = pendingLoadouts[slot];
    if (SubmitLockerJob([this, slot, loadout] { return SaveLoadoutJob(*this, slot, loadout); }))
        loadoutDirty[slot] = false;
}

void AccountClient::ApplyLockerResult(const Result& result) {
    if (state != SignedIn) return;
    double now = Now();
    switch (result.lockerJob) {
        case LockerFetch: {
            if (!result.ok) {
                if (result.retry) {
                    needsLockerFetch = true;
                    nextLockerAttempt = now + kRetryPauseSeconds;
                }
                return;
            }
            locker = result.locker;
            // Local edits not yet saved win over the service's copy.
            for (int32_t slot = 0; slot < 2; ++slot)
                if (loadoutDirty[slot]) locker.loadouts[slot] = pendingLoadouts[slot];
            if (pendingActiveSlot >= 0) locker.activeSlot = pendingActiveSlot;
            lockerRevision += 1;
            std::printf("[locker] %zu item(s), playing loadout %d\n", locker.items.size(), locker.activeSlot + 1);
            return;
        }
        case LockerSaveLoadout: {
            if (result.ok) return;
            if (!result.retry) {
                needsLockerFetch = true;
                return;
            }
            int32_t slot = result.slot;
            if (slot != 0 && slot != 1) return;
            if (!loadoutDirty[slot]) {
                pendingLoadouts[slot] = result.loadout;
                loadoutDirty[slot] = true;
            }
            nextLockerAttempt = now + kRetryPauseSeconds;
            return;
        }
        case LockerSetActiveSlot:
            if (!result.ok && result.retry && pendingActiveSlot < 0) {
                pendingActiveSlot = result.slot;
                nextLockerAttempt = now + kRetryPauseSeconds;
            }
            return;
        case LockerBuyOffer: {
            shopJobPending = false;
            ShopEvent event = result.shop;
            if (!event.ok) {
                needsLockerFetch = true;
                shopEvents.push_back(std::move(event));
                return;
            }
            if (!result.account.id.empty()) account = result.account;
            locker.vault.push_back(event.item);
            lockerRevision += 1;
            std::printf("[shop] bought %s (%s)\n", event.item.def.c_str(), event.item.rarity.c_str());
            shopEvents.push_back(std::move(event));
            return;
        }
        case LockerClaim:
        case LockerDestroy: {
            shopJobPending = false;
            ShopEvent event = result.shop;
            if (!event.ok) {
                needsLockerFetch = true;
                shopEvents.push_back(std::move(event));
                return;
            }
            bool claim = result.lockerJob == LockerClaim;
            size_t found = 0;
            for (const std::string& id : result.ids) {
                for (auto it = locker.vault.begin(); it != locker.vault.end(); ++it) {
                    if (it->id != id) continue;
                    event.items.push_back(*it);
                    if (claim) locker.items.push_back(*it);
                    locker.vault.erase(it);
                    ++found;
                    break;
                }
            }
            event.noRoomCount = static_cast<uint32_t>(result.noRoomIds.size());
            lockerRevision += 1;
            if (found < result.ids.size()) needsLockerFetch = true;
            shopEvents.push_back(std::move(event));
            return;
        }
        case LockerStoreRequest: {
            storeJobPending = false;
            if (result.ok && !result.account.id.empty()) account = result.account;
            if (result.ok && result.checkout.kind == 2) locker.skins = result.skins;
            checkoutEvents.push_back(result.checkout);
            return;
        }
        default:
            return;
    }
}

}  // namespace net
