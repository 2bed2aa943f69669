#include "link/LinkSequences.h"

#include "link/LineBytes.h"
#include "link/LinkFailures.h"
#include "link/PortExchange.h"

namespace sb {

void PutPollOrSelect(uint8_t* buffer, uint8_t middle) {
    buffer[0] = line::EOT;
    buffer[1] = middle;
    buffer[2] = line::ENQ;
}

void Acknowledge(TVM30& driver, uint8_t point, uint8_t* buffer, uint8_t& digit) {
    buffer[0] = line::DLE;
    buffer[1] = digit;
    digit = line::OtherDigit(digit);
    if (PortExchange(driver, point, buffer, 2, line::kAckReplySize) != 0) RaiseResetFailed();
}

}  // namespace sb
