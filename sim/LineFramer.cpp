#include "sim/LineFramer.h"

#include <algorithm>

namespace sbsim {
namespace {

constexpr std::size_t kLinkUnitRequestLength = sizeof(kLinkUnitRequest) - 1;
// Index of a block's terminator when it carries the most data bytes.
constexpr std::size_t kLastTerminatorIndex = kMaxBlockData + 1;

// What the bytes at the front of the stream are.
struct Cut {
    enum Kind { kNeedMore, kTransmission, kGarbage } kind;
    std::size_t length;  // bytes of the transmission, or of garbage to discard
};

constexpr Cut NeedMore() { return {Cut::kNeedMore, 0}; }
constexpr Cut Transmission(std::size_t length) { return {Cut::kTransmission, length}; }
constexpr Cut Garbage(std::size_t length) { return {Cut::kGarbage, length}; }

bool IsDigit01(uint8_t byte) { return byte == '0' || byte == '1'; }

// Bytes that begin a transmission of their own and so cut off a block in progress.
bool StartsTransmission(uint8_t byte) { return byte == kStx || byte == kEot || byte == kDle || byte == kNak; }

Cut ExamineEot(const Bytes& bytes) {
    if (bytes.size() < 2) return NeedMore();
    if (!IsDigit01(bytes[1])) return Transmission(1);
    if (bytes.size() < 3) return NeedMore();
    return Transmission(bytes[2] == kEnq ? 3 : 1);
}

Cut ExamineBlock(const Bytes& bytes) {
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const uint8_t byte = bytes[i];
        if (byte == kEtb || byte == kEtx) return i + 1 < bytes.size() ? Transmission(i + 2) : NeedMore();
        if (StartsTransmission(byte)) return Garbage(i);
        if (i == kLastTerminatorIndex) return Garbage(i + 1);  // no terminator where the longest block has one
    }
    return NeedMore();
}

Cut ExamineLinkUnitRequest(const Bytes& bytes) {
    const std::size_t compared = std::min(bytes.size(), kLinkUnitRequestLength);
    if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(compared), kLinkUnitRequest))
        return Garbage(1);
    return compared == kLinkUnitRequestLength ? Transmission(kLinkUnitRequestLength) : NeedMore();
}

Cut Examine(const Bytes& bytes) {
    switch (bytes[0]) {
        case kEot: return ExamineEot(bytes);
        case kDle:
            if (bytes.size() < 2) return NeedMore();
            return IsDigit01(bytes[1]) ? Transmission(2) : Garbage(1);
        case kNak: return Transmission(1);
        case kStx: return ExamineBlock(bytes);
        default: return ExamineLinkUnitRequest(bytes);
    }
}

}  // namespace

// One byte at a time, so that no more than one transmission's worth is ever held.
std::vector<Bytes> LineFramer::Feed(const uint8_t* bytes, std::size_t count) {
    std::vector<Bytes> out;
    for (std::size_t i = 0; i < count; ++i) {
        held_.push_back(bytes[i]);
        Take(out);
    }
    return out;
}

std::vector<Bytes> LineFramer::Silence() {
    std::vector<Bytes> out;
    if (!held_.empty() && held_[0] == kEot) {
        out.push_back(Bytes{kEot});
        held_.erase(held_.begin());
    }
    Discard(held_.size());
    return out;
}

// Each round removes at least one byte or waits for more, so the loop ends within held_.size() rounds.
void LineFramer::Take(std::vector<Bytes>& out) {
    while (!held_.empty()) {
        const Cut cut = Examine(held_);
        if (cut.kind == Cut::kNeedMore) return;
        if (cut.kind == Cut::kGarbage) {
            Discard(cut.length);
            continue;
        }
        out.emplace_back(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(cut.length));
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(cut.length));
    }
}

void LineFramer::Discard(std::size_t count) {
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
    discarded_ += count;
}

}  // namespace sbsim
