#include "sim/LinkStation.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "sim/Replies.h"

namespace sbsim {
namespace {

constexpr std::size_t kMaxNotes = 256;  // a hostile driver must not grow the note list without end
constexpr char kWaitChannel = '1';

bool Is(const Bytes& bytes, std::initializer_list<uint8_t> expected) {
    return bytes.size() == expected.size() && std::equal(bytes.begin(), bytes.end(), expected.begin());
}

bool IsAcknowledgement(const Bytes& bytes) {
    return bytes.size() == 2 && bytes[0] == kDle && (bytes[1] == '0' || bytes[1] == '1');
}

char Flip(char digit) { return digit == '0' ? '1' : '0'; }

}  // namespace

LinkStation::LinkStation(LinkApplication& application, FaultScript& faults)
    : application_(application), faults_(faults) {}

Bytes LinkStation::Receive(const Bytes& transmission) {
    if (Is(transmission, {kEot, '0', kEnq})) return AnswerPoll();
    if (Is(transmission, {kEot, '1', kEnq})) return AnswerSelect();
    if (IsAcknowledgement(transmission)) return AnswerAcknowledgement();
    if (Is(transmission, {kNak})) return AnswerNak();
    if (Is(transmission, {kEot})) return AnswerEndOfTransmission();
    if (!transmission.empty() && transmission[0] == kStx) return AnswerBlock(transmission);
    Note("unexpected bytes " + Hex(transmission));
    return {};
}

void LinkStation::Queue(const std::string& message) {
    if (message.empty()) return;
    outbox_.push_back(message);
    while (outbox_.size() > kMaxQueuedMessages) {
        const std::size_t oldest = blocks_.empty() ? 0 : 1;  // the front message may be on its way
        Note("queue full, dropped " + outbox_[oldest]);
        outbox_.erase(outbox_.begin() + static_cast<std::ptrdiff_t>(oldest));
    }
}

void LinkStation::PowerUp() {
    outbox_.clear();
    blocks_.clear();
    blockIndex_ = 0;
    awaitingAck_ = false;
    selected_ = false;
    incoming_.clear();
    ackDigit_ = '0';
}

// A poll starts the front message afresh, also when an earlier sending of it was cut off.
Bytes LinkStation::AnswerPoll() {
    DropIncoming("poll");
    selected_ = false;
    application_.OnPoll();
    if (faults_.TakeWait()) outbox_.push_front(CodeAnswer(kWaitChannel, kWaitCode));
    awaitingAck_ = false;
    blocks_.clear();
    if (outbox_.empty()) return {kEot};
    blocks_ = FrameMessage(outbox_.front());
    blockIndex_ = 0;
    return SendCurrentBlock();
}

Bytes LinkStation::AnswerSelect() {
    DropIncoming("select");
    awaitingAck_ = false;
    blocks_.clear();
    selected_ = true;
    ackDigit_ = '1';
    return {kDle, '0'};
}

Bytes LinkStation::AnswerAcknowledgement() {
    if (!awaitingAck_) return {kEot};
    if (++blockIndex_ < blocks_.size()) return SendCurrentBlock();
    awaitingAck_ = false;
    blocks_.clear();
    outbox_.pop_front();
    return {kEot};
}

Bytes LinkStation::AnswerNak() {
    if (!awaitingAck_) return {kEot};
    return SendCurrentBlock();
}

Bytes LinkStation::AnswerBlock(const Bytes& block) {
    if (!selected_) {
        Note("block without selection " + Hex(block));
        return {};
    }
    if (faults_.TakeNak()) return {kNak};
    const ParsedBlock parsed = ParseBlock(block);
    if (!parsed.wellFormed) return {kNak};
    incoming_ += parsed.data;
    const Bytes answer{kDle, static_cast<uint8_t>(ackDigit_)};
    ackDigit_ = Flip(ackDigit_);
    if (parsed.last) {
        std::string message;
        message.swap(incoming_);
        application_.OnMessage(message);
    }
    return answer;
}

Bytes LinkStation::AnswerEndOfTransmission() {
    DropIncoming("EOT");
    selected_ = false;
    return {};
}

Bytes LinkStation::SendCurrentBlock() {
    awaitingAck_ = true;
    Bytes block = blocks_[blockIndex_];
    if (const std::optional<Corruption> corruption = faults_.TakeCorruption()) {
        const std::size_t dataCount = block.size() - 3;
        const std::size_t index = corruption->dataIndex < dataCount ? corruption->dataIndex : dataCount - 1;
        block[1 + index] = static_cast<uint8_t>(block[1 + index] ^ corruption->mask);
        const std::size_t second = corruption->secondIndex;
        if (second < dataCount) block[1 + second] = static_cast<uint8_t>(block[1 + second] ^ corruption->mask);
    }
    return block;
}

void LinkStation::DropIncoming(const char* why) {
    if (incoming_.empty()) return;
    Note(std::string("message cut off by ") + why + ": " + incoming_);
    incoming_.clear();
}

void LinkStation::Note(const std::string& note) {
    if (notes_.size() < kMaxNotes) notes_.push_back(note);
}

}  // namespace sbsim
