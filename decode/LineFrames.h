// One transmission on a dispenser line named by its bytes: poll, select, acknowledgement, EOT, NAK, a block
// with its check verified, the link unit's request and count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sbdecode {

using Bytes = std::vector<uint8_t>;

enum class FrameKind {
    kNothing,          // no byte
    kPoll,             // EOT "0" ENQ
    kSelect,           // EOT "1" ENQ
    kAck,              // DLE "0"/"1": an acknowledgement, or "ready" when it answers a select
    kEot,              // EOT alone
    kNak,              // NAK alone
    kBlock,            // STX, data, ETB or ETX, check byte
    kLinkUnitRequest,  // "0002ZD" unframed
    kLinkUnitCount,    // STX "2", count low byte, high byte: the answer to the link unit's request
    kUnknown,          // anything else
};

struct Frame {
    FrameKind kind = FrameKind::kNothing;
    char digit = 0;          // kAck
    bool last = false;       // kBlock: ends with ETX, the message's last block
    bool checkGood = false;  // kBlock
    uint8_t check = 0;       // kBlock: the check byte sent
    uint8_t expected = 0;    // kBlock: the check byte its data call for
    std::string data;        // kBlock: the data bytes
    unsigned count = 0;      // kLinkUnitCount: hundredths of a litre
};

// A transmission of the driver.
Frame ReadSent(const Bytes& bytes);
// A dispenser's answer to the driver's transmission `question`.
Frame ReadAnswer(const Bytes& bytes, FrameKind question);

// "poll", "ready 0", "block ETX \"0101...\" check 1D good", "NAK"...; `question` names an acknowledgement that
// answers a select "ready".
std::string FrameText(const Frame& frame, FrameKind question = FrameKind::kNothing);

// "04 30 05".
std::string HexText(const Bytes& bytes);

}  // namespace sbdecode
