// Framing of a block on the line: STX, data, ETB or ETX, and the block check character, the XOR of the data
// bytes and the ETB or ETX.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sb {

// The bytes a block adds around its data: STX, the ETB or ETX, and the block check.
constexpr uint8_t kBlockFraming = 3;

uint8_t BlockCheck(const uint8_t* dataAndTerminator, size_t count);

// True when the count bytes at block form one well-framed block with a correct block check.
bool IsValidBlock(const uint8_t* block, size_t count);

}  // namespace sb
