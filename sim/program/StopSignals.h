// The signals that end sbsim (SIGINT, SIGTERM, SIGHUP), made something the service loop waits on: each writes a
// byte to a pipe whose read end is polled beside the lines, so a stop that comes between two waits is not lost,
// and sbsim ends through its own exit path (lines closed, the capture file flushed).
#ifndef SBSIM_PROGRAM_STOPSIGNALS_H
#define SBSIM_PROGRAM_STOPSIGNALS_H

namespace sbsim {

// The pipe's read end, readable once a stop signal came; -1 when no pipe could be made, and the signals then
// end the process at once, as by default.
int CatchStopSignals();

}  // namespace sbsim

#endif
