// sbsim's service loop: every point answers what arrives on its own channel, paced at its line's speed, and
// the forecourt's commands arrive on standard input. One thread serves them all: a wait for input, a pending
// byte or a quiet line at a time.
#ifndef SBSIM_PROGRAM_FORECOURTSERVER_H
#define SBSIM_PROGRAM_FORECOURTSERVER_H

#include <memory>
#include <vector>

#include "sim/program/LineTrace.h"
#include "sim/program/ServedPoint.h"

namespace sbsim {

// Quiet time after which bytes held by the framer are taken as complete (a lone EOT) or as cut off. Longer
// than the gaps inside one transmission even at 2400 baud (4 ms a byte), and without cost: the dispenser never
// answers a lone EOT or a cut-off transmission, and the next transmission's first byte ends either sooner.
constexpr int kSilenceMs = 60;
// Longest time a channel may refuse the next byte of an answer; an answer that cannot leave for this long
// comes too late for the driver's first-byte wait anyway and is dropped.
constexpr int kWriteTimeoutMs = 250;
// Exit code of a replay halted by --strict at the first transmission the recording does not have there.
constexpr int kExitDiffers = 4;
// Longest command line; a longer one is refused whole.
constexpr std::size_t kMaxCommandLength = 200;

// Serves until "quit", until stopSignal (a descriptor, -1 for none) is readable, or until standard input ends
// when it is a pipe, socket or terminal (a host that died leaves no forecourt behind); after the commands of
// /dev/null or a file it serves on. Returns the process exit code: 0 after any of those, 1 when a channel failed,
// kExitDiffers when a replay halted.
int ServeForecourt(const std::vector<std::unique_ptr<ServedPoint>>& points, LineTrace& trace, int stopSignal);

}  // namespace sbsim

#endif
