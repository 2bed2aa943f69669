// sbsim's service loop: the dispenser answers every transmission that arrives on its line, and the customer's
// commands arrive on standard input.
#ifndef SBSIM_PROGRAM_LINESERVER_H
#define SBSIM_PROGRAM_LINESERVER_H

#include <ostream>

#include "sim/Dispenser.h"

namespace sbsim {

// Quiet time after which bytes held by the framer are taken as complete (a lone EOT) or as cut off. Longer
// than the gaps inside one transmission even at 2400 baud (4 ms a byte), shorter than the driver's first-byte
// wait, and without cost for the lone EOT, which the dispenser never answers.
constexpr int kSilenceMs = 60;
// Longest wait for the line to take an answer; one that cannot leave for this long comes too late for the
// driver's first-byte wait anyway and is dropped.
constexpr int kWriteTimeoutMs = 250;
// Longest command line; a longer one is refused whole.
constexpr std::size_t kMaxCommandLength = 200;

struct ServeOptions {
    int lineFd = -1;  // non-blocking
    // pty: the slave side sbsim keeps open. Before each answer the answers the host has left unread there are
    // dropped, as the host's port service drops them before each transmission, so that a host that stops
    // reading cannot fill the pty and stall the answers. -1 for a device.
    int unreadAnswersFd = -1;
    bool trace = false;  // every transmission and its answer in hex on standard error
};

// Serves until "quit" (standard input ending only stops the commands). Returns the process exit code: 0
// after quit, 1 when the line failed.
int ServeLine(const ServeOptions& options, Dispenser& dispenser, std::ostream& out);

}  // namespace sbsim

#endif
