// Line bytes, block framing and hex rendering shared by the simulator and its tests.
#ifndef SBSIM_WIRE_H
#define SBSIM_WIRE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sbsim {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kEnq = 0x05;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kEtb = 0x17;

// Most data bytes one block carries.
constexpr std::size_t kMaxBlockData = 21;
// Longest framed block: STX, kMaxBlockData data bytes, terminator, check byte.
constexpr std::size_t kMaxBlockLength = kMaxBlockData + 3;

// The T10 counting unit's counter request: these six characters, unframed.
inline constexpr char kLinkUnitRequest[] = "0002ZD";

// XOR of the data bytes and the terminator (everything between STX and the check byte).
uint8_t BlockCheck(const uint8_t* data, std::size_t count, uint8_t terminator);

// STX, data, ETB (more follows) or ETX (last block), check byte.
Bytes FrameBlock(const std::string& data, bool last);

// Cuts a message into framed blocks of at most kMaxBlockData data bytes; an empty message gives no block.
std::vector<Bytes> FrameMessage(const std::string& message);

// A framed block as it came off the line.
struct ParsedBlock {
    bool wellFormed = false;  // STX first, ETB/ETX terminator, matching check byte, 1..21 data bytes
    bool last = false;        // terminated by ETX
    std::string data;
};
ParsedBlock ParseBlock(const Bytes& block);

// "02 30 31 03 0B": upper-case hex, one blank between bytes.
std::string Hex(const uint8_t* bytes, std::size_t count);
std::string Hex(const Bytes& bytes);

Bytes ToBytes(const std::string& text);

}  // namespace sbsim

#endif
