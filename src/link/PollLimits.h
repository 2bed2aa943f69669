// Bounds of the poll and reply loops, so that a babbling or broken line cannot hold a host thread.
#pragma once

#include <cstdint>

namespace sb {

// Poll cycles before the dispenser counts as stuck.
constexpr int kMaxPollCycles = 10;

// Blocks one reply (or one drain) may carry: a full 254-byte reply needs 13 blocks of 21 data bytes.
constexpr int kMaxBlocksPerReply = 32;

// NAK answers to one corrupted block before the reply is given up.
constexpr int kMaxNaksPerBlock = 3;

}  // namespace sb
