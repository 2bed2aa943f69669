// A simulated dispenser at the far end of a pseudo-terminal that keeps a serial line's time: a transmission of
// the host counts as arrived only when its bytes would have come through at the line speed (10 bits a byte), and
// the answer goes back one byte at a time, each when its ten bits would have come through. It is sbsim's service
// (the same LineFramer cutting the stream into transmissions and the same Dispenser answering them) with the
// pacing a pty lacks, run on a thread of the benchmark so that its own time is measured where it is spent.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/Dispenser.h"
#include "sim/LineFramer.h"

namespace sbbench {

// One transmission of the host and what the dispenser answered, as seen on the line.
struct LineExchange {
    std::size_t sent = 0;
    std::size_t answered = 0;
    // Time the simulator added beyond the line's own: from the moment the transmission's last byte was through to
    // the moment its answer's last byte was written, less the answer's time at the line speed. Zero when it
    // answered nothing.
    int64_t simulatorNs = 0;
};

class PacedLine {
public:
    // A line at baud bit/s; a silent line reads everything and answers nothing.
    explicit PacedLine(int baud, bool silent = false);
    ~PacedLine();
    PacedLine(const PacedLine&) = delete;
    PacedLine& operator=(const PacedLine&) = delete;

    // The pseudo-terminal's device, for the host's port service.
    const std::string& Device() const { return device_; }
    int64_t ByteNs() const { return byteNs_; }

    // Runs an action on the dispenser between two transmissions.
    void Act(const std::function<void(sbsim::Dispenser&)>& action);
    // The exchanges since the last call.
    std::vector<LineExchange> TakeExchanges();

private:
    void Serve();
    void Answer(const sbsim::Bytes& transmission, int64_t throughAt);

    const int64_t byteNs_;
    const bool silent_;
    int master_ = -1;
    int slaveKeeper_ = -1;  // the slave kept open, so the master sees no hang-up between host openings
    int stopPipe_[2] = {-1, -1};
    std::string device_;
    sbsim::LineFramer framer_;
    std::mutex mutex_;  // guards dispenser_ and exchanges_
    sbsim::Dispenser dispenser_;
    std::vector<LineExchange> exchanges_;
    std::thread thread_;
};

// Monotonic nanoseconds.
int64_t NowNs();
void SleepUntilNs(int64_t deadline);

}  // namespace sbbench
