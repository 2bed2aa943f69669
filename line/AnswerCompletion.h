// When a dispenser's answer on the line is complete, so that the port service stops reading at once instead
// of waiting out the gap after it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sbline {

// True when bytes[0..count) is a whole answer: EOT; NAK; DLE and one more byte; STX up to the check byte after
// its ETB or ETX (or the longest block's length, when no terminator came); or replySize bytes, whatever
// they are (this ends the link unit's four-byte counter answer). A first byte outside these keeps the reading
// going until replySize bytes or the gap after the last byte.
bool AnswerComplete(const uint8_t* bytes, std::size_t count, std::size_t replySize);

}  // namespace sbline
