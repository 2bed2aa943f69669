// Control bytes of the dispenser line.
#pragma once

#include <cstdint>

namespace sb::line {

constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t EOT = 0x04;
constexpr uint8_t ENQ = 0x05;
constexpr uint8_t DLE = 0x10;
constexpr uint8_t NAK = 0x15;
constexpr uint8_t ETB = 0x17;

// The reply sizes the exchanges announce to the port service.
constexpr uint8_t kPollReplySize = 30;
constexpr uint8_t kAckReplySize = 60;  // marks the answer to an acknowledgement: a continuation block
constexpr uint8_t kBlockReplySize = 2;
constexpr uint8_t kNoReply = 0;

constexpr bool IsAckDigit(uint8_t byte) { return byte == '0' || byte == '1'; }

// DLE followed by "0" or "1": an acknowledgement, or the ready answer to a select.
inline bool IsAcknowledgement(const uint8_t* buffer) { return buffer[0] == DLE && IsAckDigit(buffer[1]); }

inline uint8_t OtherDigit(uint8_t digit) { return digit == '0' ? '1' : '0'; }

}  // namespace sb::line
