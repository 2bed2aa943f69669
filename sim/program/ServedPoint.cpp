#include "sim/program/ServedPoint.h"

namespace sbsim {

void ServedPoint::Apply(const FaultOrder& order) {
    FaultScript& faults = dispenser.faults();
    if (order.kind == "silence") faults.Arm(CountedFault::Silence, order.count);
    if (order.kind == "nak") faults.Arm(CountedFault::Nak, order.count);
    if (order.kind == "wait") faults.Arm(CountedFault::Wait, order.count);
    if (order.kind == "refuse") faults.Arm(CountedFault::Refusal, order.count);
    if (order.kind == "corrupt") faults.Arm(CountedFault::Corruption, order.count);
    if (order.kind == "noise") noisyAnswers = order.count;
}

// One byte of the answer is hit: a random bit pattern is XORed into it.
Bytes ServedPoint::OnTheLine(Bytes answer) {
    if (answer.empty() || noisyAnswers == 0) return answer;
    if (noisyAnswers != kForever) --noisyAnswers;
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, answer.size() - 1)(noise);
    answer[at] ^= static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 255)(noise));
    return answer;
}

}  // namespace sbsim
