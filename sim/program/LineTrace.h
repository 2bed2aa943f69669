// What sbsim tells about every exchange on its lines: a decoded trace for people (poll, select, blocks with
// their check, acknowledgements, EOT, the messages by command with their fields) and a hex capture that
// `sbhost decode` and `sbhost report` read ("hh:mm:ss.zzz POINT > HEX", "... < HEX").
#ifndef SBSIM_PROGRAM_LINETRACE_H
#define SBSIM_PROGRAM_LINETRACE_H

#include <ostream>

#include "decode/Conversation.h"
#include "sim/Wire.h"

namespace sbsim {

class LineTrace {
public:
    // Either stream may be null: that form is not written.
    LineTrace(std::ostream* decoded, std::ostream* capture) : decoded_(decoded), capture_(capture) {}

    // The driver's transmission on the point's line and the answer that went out.
    void Exchange(unsigned point, const Bytes& sent, const Bytes& answer);

private:
    std::ostream* decoded_;
    std::ostream* capture_;
    sbdecode::Conversation conversation_;
};

}  // namespace sbsim

#endif
