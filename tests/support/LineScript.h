// Exact answers of a scripted dispenser, built from what the driver will send: select, acknowledged blocks,
// the end of transmission, and a reply of any text.
#pragma once

#include <string>

#include "sim/FaultScript.h"

namespace sbtest {

// Single answers of the dispenser's link.
inline const sbsim::Bytes kEot{sbsim::kEot};
inline const sbsim::Bytes kDle0{sbsim::kDle, '0'};
inline const sbsim::Bytes kDle1{sbsim::kDle, '1'};
inline const sbsim::Bytes kNak{sbsim::kNak};

class LineScript {
public:
    explicit LineScript(sbsim::FaultScript& script) : script_(script) {}

    // Poll answered EOT, select answered ready, each of the request's blocks acknowledged, EOT unanswered.
    LineScript& TakeRequest(size_t messageLength);
    // A poll answered with the reply's blocks, each acknowledgement with the next block, the last with EOT.
    LineScript& Reply(const std::string& text);
    // Polls answered EOT.
    LineScript& Nothing(int polls = 1);
    LineScript& Answer(const sbsim::Bytes& bytes);

private:
    sbsim::FaultScript& script_;
};

}  // namespace sbtest
