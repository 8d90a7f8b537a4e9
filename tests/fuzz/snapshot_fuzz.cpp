// The snapshot decoder, with and without a baseline view. The first input byte chooses whether a
// baseline is offered; the rest is the datagram. Decoding must never crash or read out of bounds,
// and a decoded view may only hold players the baseline held or the message named.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "net/snapshot_codec.h"
#include "wire_fuzz_util.h"

namespace {

const net::SnapshotView& Baseline()
{
    static const std::unique_ptr<net::SnapshotView> view = [] {
        auto v = std::make_unique<net::SnapshotView>();
        for (int slot = 0; slot < net::kMaxPlayers; slot += 3) {
            v->present.set(static_cast<size_t>(slot));
            v->records[static_cast<size_t>(slot)].x = slot * 1000;
            v->records[static_cast<size_t>(slot)].yaw = static_cast<uint16_t>(slot);
        }
        return v;
    }();
    return *view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096) {
        return 0;
    }
    const bool withBaseline = (data[0] & 1) != 0;
    net::OpenedDatagram opened;
    if (!net::OpenClientDatagram(data + 1, static_cast<int>(size - 1), opened) ||
        opened.type != net::MessageType::Snapshot) {
        return 0;
    }
    net::SnapshotHeader header;
    if (!net::ReadSnapshotHeader(opened.reader, header)) {
        return 0;
    }
    static net::SnapshotBody body;
    (void)net::ReadSnapshotBody(opened.reader, withBaseline ? &Baseline() : nullptr, body);
    wirefuzz::Check(opened.reader.TotalBits() <= opened.reader.BitLimit());
    return 0;
}
