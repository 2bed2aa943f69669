// The pace of a serial line for what the simulated dispenser sends: every byte takes ten bit times (start bit,
// eight data bits, stop bit) at the line's speed, and an answer begins a turnaround after the transmission it
// answers has come in whole. The driver's transmissions reach a pty at once; their own time on a real line is
// added before the turnaround, so an exchange lasts as long as on the wire.
#ifndef SBSIM_PROGRAM_BYTEPACER_H
#define SBSIM_PROGRAM_BYTEPACER_H

#include <chrono>
#include <cstddef>
#include <deque>

#include "sim/Wire.h"

namespace sbsim {

class BytePacer {
public:
    using Clock = std::chrono::steady_clock;

    BytePacer(int baud, int turnaroundMs);

    // How long one byte takes on the line.
    Clock::duration ByteTime() const { return byteTime_; }
    // Queues the answer to a transmission of `received` bytes that came in whole at `now`; an answer queued
    // while another is still going out follows it.
    void Queue(const Bytes& answer, std::size_t received, Clock::time_point now);
    bool Pending() const { return !bytes_.empty(); }
    // When the next byte is due; only while Pending().
    Clock::time_point NextDue() const { return nextDue_; }
    // The bytes due by now, in order (more than one only when the caller came late).
    Bytes TakeDue(Clock::time_point now);
    // Puts bytes taken but not sent back before the rest, due at once.
    void PutBack(const Bytes& bytes, Clock::time_point now);
    // Drops what is still queued.
    void Drop() { bytes_.clear(); }

private:
    Clock::duration byteTime_;
    Clock::duration turnaround_;
    std::deque<uint8_t> bytes_;
    Clock::time_point nextDue_;
};

}  // namespace sbsim

#endif
