// The bytes of a dispenser line that a host's serial line needs to tell where an answer ends.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sbline {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kEnq = 0x05;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kEtb = 0x17;

// The longest block: STX, 21 data bytes, ETB or ETX, check byte.
constexpr std::size_t kMaxBlockLength = 21 + 3;

}  // namespace sbline
