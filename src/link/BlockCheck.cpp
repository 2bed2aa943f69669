#include "link/BlockCheck.h"

#include "link/LineBytes.h"

namespace sb {

uint8_t BlockCheck(const uint8_t* dataAndTerminator, size_t count) {
    uint8_t check = 0;
    for (size_t i = 0; i < count; ++i) check ^= dataAndTerminator[i];
    return check;
}

bool IsValidBlock(const uint8_t* block, size_t count) {
    if (count < kBlockFraming || block[0] != line::STX) return false;
    const uint8_t terminator = block[count - 2];
    if (terminator != line::ETX && terminator != line::ETB) return false;
    return BlockCheck(block + 1, count - 2) == block[count - 1];
}

}  // namespace sb
