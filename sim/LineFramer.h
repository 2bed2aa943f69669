// Cuts the byte stream that arrives on a dispenser's serial line into the driver's single transmissions, so
// that each can be handed to Dispenser::Exchange as if it had come through a port service call.
//
// What the driver sends, and how each is recognised:
//   poll / select      EOT "0" ENQ, EOT "1" ENQ
//   acknowledgement    DLE "0", DLE "1"
//   refusal            NAK
//   data block         STX, data, ETB or ETX, check byte (at most 21 data bytes)
//   end of sending     a lone EOT: the byte after it is not "0"/"1" followed by ENQ, or the line falls silent
//   link unit request  the six characters "0002ZD", unframed
// Anything else is discarded. A block cut off by STX, EOT, DLE or NAK is discarded up to that byte, which
// starts the next transmission; a block without a terminator after 21 data bytes is discarded whole. The
// bytes held at any time never exceed kMaxTransmission.
#ifndef SBSIM_LINEFRAMER_H
#define SBSIM_LINEFRAMER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/Wire.h"

namespace sbsim {

// The longest transmission of the driver: a block of 21 data bytes.
constexpr std::size_t kMaxTransmission = kMaxBlockLength;

class LineFramer {
public:
    // Takes bytes as they came off the line; returns the transmissions they completed, in order.
    std::vector<Bytes> Feed(const uint8_t* bytes, std::size_t count);
    // The line has been quiet for a while: an EOT still held is a lone EOT; any other rest was cut off and is
    // discarded.
    std::vector<Bytes> Silence();

    // Bytes held that do not yet make a transmission; the caller watches for silence while there are any.
    bool pending() const { return !held_.empty(); }
    std::size_t held() const { return held_.size(); }
    // Bytes thrown away so far as garbage or cut-off transmissions.
    std::size_t discarded() const { return discarded_; }

private:
    void Take(std::vector<Bytes>& out);
    void Discard(std::size_t count);

    Bytes held_;
    std::size_t discarded_ = 0;
};

}  // namespace sbsim

#endif
