// The driver's half of the link, reduced to what the simulator's tests need: drain and select, send blocks,
// end, then poll and acknowledge until EOT.
#ifndef SBTESTS_SIM_CLIENT_H
#define SBTESTS_SIM_CLIENT_H

#include <string>

#include "sim/Dispenser.h"
#include "sim/Wire.h"

namespace sbsim {

constexpr int kMaxReplyBlocks = 20;  // longer than any reply; stops a runaway test

inline Bytes Poll(Dispenser& dispenser) { return dispenser.Exchange(Bytes{kEot, '0', kEnq}); }
inline Bytes Select(Dispenser& dispenser) { return dispenser.Exchange(Bytes{kEot, '1', kEnq}); }
inline Bytes Acknowledge(Dispenser& dispenser, char digit) {
    return dispenser.Exchange(Bytes{kDle, static_cast<uint8_t>(digit)});
}
inline bool IsBlock(const Bytes& answer) { return !answer.empty() && answer[0] == kStx; }

// Acknowledges blocks, starting with the one in answer, until the dispenser answers something else, and
// collects their data.
inline std::string AcknowledgeBlocks(Dispenser& dispenser, Bytes answer) {
    std::string data;
    char digit = '0';
    for (int blocks = 0; blocks < kMaxReplyBlocks && IsBlock(answer); ++blocks) {
        data += ParseBlock(answer).data;
        answer = Acknowledge(dispenser, digit);
        digit = digit == '0' ? '1' : '0';
    }
    return data;
}

// Polls away whatever the dispenser has pending (as the driver does before it sends), selects it, sends the
// message block by block and ends with EOT. False when the selection or a block was not acknowledged.
inline bool SendMessage(Dispenser& dispenser, const std::string& message) {
    for (int polls = 0; polls < kMaxReplyBlocks; ++polls) {
        const Bytes answer = Poll(dispenser);
        if (!IsBlock(answer)) break;
        AcknowledgeBlocks(dispenser, answer);
    }
    const Bytes ready = Select(dispenser);
    if (ready.size() != 2 || ready[0] != kDle) return false;
    for (const Bytes& block : FrameMessage(message)) {
        const Bytes answer = dispenser.Exchange(block);
        if (answer.size() != 2 || answer[0] != kDle) return false;
    }
    dispenser.Exchange(Bytes{kEot});
    return true;
}

// Polls once and collects the message that answers it; empty when the poll is answered with EOT.
inline std::string ReceiveMessage(Dispenser& dispenser) { return AcknowledgeBlocks(dispenser, Poll(dispenser)); }

inline std::string Ask(Dispenser& dispenser, const std::string& message) {
    return SendMessage(dispenser, message) ? ReceiveMessage(dispenser) : std::string();
}

// A stamped request: "0", channel, sequence digit "0", request byte "0", then the command text.
inline std::string OnChannel(char channel, const std::string& command) {
    return std::string{'0', channel, '0', '0'} + command;
}

}  // namespace sbsim

#endif
