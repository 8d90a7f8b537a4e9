// The snapshot decoder, with and without a baseline view. The first input byte chooses whether a
// baseline is offered; the rest is the datagram. Decoding must never crash or read out of bounds,
// and what it accepts must survive the writer: the decoded view, encoded again against the same
// baseline and decoded, is the same view, and encoding that gives the very same bytes.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

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

// Room for every player described in full and every removal, past one datagram: the check is
// about the writer and the reader agreeing, not about the budget that leaves players out.
constexpr int kRoundTripWords = 4096;

// Encodes a decoded snapshot again, describing every player of its view, nearest first being
// simply slot order. Returns the length in bytes (0 when the writer refused).
int EncodeAgain(const net::SnapshotHeader& header, const net::SnapshotBody& body, const net::SnapshotView* baseline,
                std::vector<uint32_t>& words)
{
    std::vector<int> candidates;
    for (int slot = 0; slot < net::kMaxPlayers; ++slot) {
        if (body.view.present.test(static_cast<size_t>(slot))) {
            candidates.push_back(slot);
        }
    }
    net::SnapshotSource source;
    source.header = header;
    source.own = &body.own;
    source.ownBurning = body.ownBurning;
    source.current = body.view.records.data();
    source.baseline = baseline != nullptr ? baseline->records.data() : nullptr;
    source.baselineMask = baseline != nullptr ? &baseline->present : nullptr;
    source.candidates = candidates;
    source.entryBudgetBits = INT_MAX;
    words.assign(kRoundTripWords, 0);
    net::PlayerMask described;
    return net::WriteSnapshot(source, words, described);
}

// Reads back what EncodeAgain wrote (longer than a datagram, so not through the datagram rules).
bool DecodeAgain(const std::vector<uint32_t>& words, int length, const net::SnapshotView* baseline,
                 net::SnapshotHeader& header, net::SnapshotBody& body)
{
    net::BitReader reader(words.data(), length / 4, length * 8);
    if (reader.Read(16) != net::kMagic || reader.Read(8) != static_cast<uint32_t>(net::MessageType::Snapshot)) {
        return false;
    }
    return net::ReadSnapshotHeader(reader, header) && net::ReadSnapshotBody(reader, baseline, body);
}

bool SameView(const net::SnapshotView& a, const net::SnapshotView& b)
{
    if (a.present != b.present) {
        return false;
    }
    for (size_t slot = 0; slot < a.records.size(); ++slot) {
        if (a.present.test(slot) && !(a.records[slot] == b.records[slot])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096) {
        return 0;
    }
    const net::SnapshotView* baseline = (data[0] & 1) != 0 ? &Baseline() : nullptr;
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
    if (!net::ReadSnapshotBody(opened.reader, baseline, body)) {
        return 0;
    }

    static std::vector<uint32_t> first;
    const int firstLength = EncodeAgain(header, body, baseline, first);
    wirefuzz::Check(firstLength > 0);
    net::SnapshotHeader headerAgain;
    static net::SnapshotBody bodyAgain;
    wirefuzz::Check(DecodeAgain(first, firstLength, baseline, headerAgain, bodyAgain));
    wirefuzz::Check(headerAgain.sequence == header.sequence && headerAgain.serverTick == header.serverTick &&
                    headerAgain.lastInputTick == header.lastInputTick);
    wirefuzz::Check(SameView(body.view, bodyAgain.view));

    static std::vector<uint32_t> second;
    const int secondLength = EncodeAgain(headerAgain, bodyAgain, baseline, second);
    wirefuzz::Check(secondLength == firstLength);
    wirefuzz::Check(std::memcmp(first.data(), second.data(), static_cast<size_t>(firstLength)) == 0);
    return 0;
}
