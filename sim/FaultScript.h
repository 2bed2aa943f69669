// Faults to inject into a dispenser's conversation, each armed for a number of occurrences.
#ifndef SBSIM_FAULTSCRIPT_H
#define SBSIM_FAULTSCRIPT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "sim/Wire.h"

namespace sbsim {

constexpr std::size_t kLastDataByte = static_cast<std::size_t>(-1);
constexpr std::size_t kNoSecondByte = static_cast<std::size_t>(-1);

struct Corruption {
    std::size_t dataIndex = kLastDataByte;  // data byte of the block; past the end means the last one
    uint8_t mask = 0x01;                    // XORed into that byte after the check byte was computed
    // A second data byte XORed with the same mask (skipped past the end): the block check cannot see the two.
    std::size_t secondIndex = kNoSecondByte;
};

// Faults that are counted off, for Arm.
enum class CountedFault { Silence, Nak, Wait, Refusal, Corruption };
// A count that does not run out: more occurrences than a line makes in years.
constexpr unsigned kForever = ~0u;

class FaultScript {
public:
    // Sets the fault to apply to the next n occurrences, whatever was armed before; 0 disarms it (a corruption
    // queued with CorruptNextBlock stays). Corruptions armed here change the last data byte.
    void Arm(CountedFault fault, unsigned n) { *CountOf(fault) = n; }
    // The line is dead both ways for the next n exchanges: the dispenser hears nothing and answers nothing.
    void SilenceExchanges(unsigned n) { silence_ += n; }
    // The next n data blocks from the driver are answered NAK and dropped, however good they are.
    void NakDataBlocks(unsigned n) { naks_ += n; }
    // The next n polls are answered with the wait code ("8") before anything the dispenser has pending.
    void AnswerPollsWithWait(unsigned n) { waits_ += n; }
    // The next n complete messages from the driver are answered with the refusal code ("9"), not carried out.
    void RefuseRequests(unsigned n) { refusals_ += n; }
    // The next block the dispenser sends has one data byte changed after its check byte was computed.
    // A repetition of the block (after a NAK) goes out intact. Several calls corrupt several blocks.
    void CorruptNextBlock(Corruption corruption = Corruption{}) { corruptions_.push_back(corruption); }
    // The next answer is replaced by these bytes on the line; the dispenser goes on as if its own answer had
    // arrived. Several calls replace several answers.
    void GarbleNextAnswer(Bytes bytes) { garbles_.push_back(std::move(bytes)); }
    // Exact answers for the next exchanges: while any are queued the dispenser is bypassed and each exchange
    // is answered with the next one (an empty one is silence).
    void ScriptAnswer(Bytes bytes) { scripted_.push_back(std::move(bytes)); }

    // Consumed by the dispenser: each returns whether the fault applies now and counts it off.
    bool TakeSilence() { return Take(silence_); }
    bool TakeNak() { return Take(naks_); }
    bool TakeWait() { return Take(waits_); }
    bool TakeRefusal() { return Take(refusals_); }
    std::optional<Corruption> TakeCorruption() {
        std::optional<Corruption> taken = TakeFront(corruptions_);
        if (!taken && Take(corruptBlocks_)) taken = Corruption{};
        if (taken && taken->secondIndex != kNoSecondByte) ++unseenCorruptionsSent_;
        return taken;
    }
    // Corruptions with a second byte sent so far.
    unsigned unseenCorruptionsSent() const { return unseenCorruptionsSent_; }
    std::optional<Bytes> TakeGarble() { return TakeFront(garbles_); }
    std::optional<Bytes> TakeScripted() { return TakeFront(scripted_); }

private:
    static bool Take(unsigned& count) {
        if (count == 0) return false;
        if (count != kForever) --count;
        return true;
    }
    unsigned* CountOf(CountedFault fault) {
        switch (fault) {
            case CountedFault::Silence: return &silence_;
            case CountedFault::Nak: return &naks_;
            case CountedFault::Wait: return &waits_;
            case CountedFault::Refusal: return &refusals_;
            case CountedFault::Corruption: break;
        }
        return &corruptBlocks_;
    }
    template <typename T>
    static std::optional<T> TakeFront(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }

    unsigned silence_ = 0;
    unsigned naks_ = 0;
    unsigned waits_ = 0;
    unsigned refusals_ = 0;
    unsigned corruptBlocks_ = 0;
    unsigned unseenCorruptionsSent_ = 0;
    std::deque<Corruption> corruptions_;
    std::deque<Bytes> garbles_;
    std::deque<Bytes> scripted_;
};

}  // namespace sbsim

#endif
