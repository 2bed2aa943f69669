#include "sim/program/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace sbsim {
namespace {

int stopWriteEnd = -1;

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Non-blocking: a full pipe already tells of a stop.
    [[maybe_unused]] const ssize_t written = write(stopWriteEnd, &byte, 1);
    errno = saved;
}

}  // namespace

int CatchStopSignals() {
    int ends[2] = {-1, -1};
    if (pipe(ends) != 0) return -1;
    for (const int end : ends) {
        fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
        fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    stopWriteEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    return ends[0];
}

}  // namespace sbsim
