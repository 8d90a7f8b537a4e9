// Any reply body through the locker, shop and store readers: a body that does not parse as an
// object yields the default locker, not loaded; one that does yields a loaded locker whose
// loadout slots came only from entries of slot 0 or 1, and every lookup stays inside the document.
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/json_value.h"
#include "online/locker_reader.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) {
        return 0;
    }
    const std::string body(reinterpret_cast<const char*>(data), size);
    const net::Locker locker = net::ReadLockerDocument(body);
    Check(locker.activeSlot == 0 || locker.activeSlot == 1);
    if (!locker.loaded) {
        Check(locker.items.empty() && locker.vault.empty() && locker.capacity == 100);
        Check(!locker.loadouts[0].present && !locker.loadouts[1].present);
    }
    for (const net::LockerItem& item : locker.items) {
        Check(!item.rarity.empty());
    }

    net::HttpResponse response;
    response.status = 200;
    response.body = body;
    json::Value document;
    if (net::ParseReplyDocument(response, document)) {
        const net::LockerItem item = net::ReadLockerItem(document.Find("item"));
        Check(!item.rarity.empty());
        (void)net::ReadAccountObject(document.Find("account"));
        Check(net::ReadStringArray(document.Find("claimed")).size() <=
              static_cast<size_t>(document.Find("claimed").Size()));
        (void)net::ReadStringArray(document.Find("skins"));
    }
    return 0;
}
