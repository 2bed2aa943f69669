#include "sim/Wire.h"

namespace sbsim {

uint8_t BlockCheck(const uint8_t* data, std::size_t count, uint8_t terminator) {
    uint8_t check = terminator;
    for (std::size_t i = 0; i < count; ++i) check = static_cast<uint8_t>(check ^ data[i]);
    return check;
}

Bytes FrameBlock(const std::string& data, bool last) {
    Bytes block;
    block.reserve(data.size() + 3);
    block.push_back(kStx);
    block.insert(block.end(), data.begin(), data.end());
    const uint8_t terminator = last ? kEtx : kEtb;
    block.push_back(terminator);
    block.push_back(BlockCheck(block.data() + 1, data.size(), terminator));
    return block;
}

std::vector<Bytes> FrameMessage(const std::string& message) {
    std::vector<Bytes> blocks;
    for (std::size_t at = 0; at < message.size(); at += kMaxBlockData) {
        const bool last = at + kMaxBlockData >= message.size();
        blocks.push_back(FrameBlock(message.substr(at, kMaxBlockData), last));
    }
    return blocks;
}

ParsedBlock ParseBlock(const Bytes& block) {
    ParsedBlock parsed;
    if (block.size() < 4 || block.size() > kMaxBlockLength || block.front() != kStx) return parsed;
    const std::size_t dataCount = block.size() - 3;
    const uint8_t terminator = block[block.size() - 2];
    if (terminator != kEtx && terminator != kEtb) return parsed;
    if (BlockCheck(block.data() + 1, dataCount, terminator) != block.back()) return parsed;
    parsed.wellFormed = true;
    parsed.last = terminator == kEtx;
    parsed.data.assign(block.begin() + 1, block.begin() + 1 + static_cast<std::ptrdiff_t>(dataCount));
    return parsed;
}

std::string Hex(const uint8_t* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text.push_back(' ');
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string Hex(const Bytes& bytes) { return Hex(bytes.data(), bytes.size()); }

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace sbsim
