// The driver as a host drives it, on points whose lines are either the simulated port service in process or the
// reference port service (line/) over paced pseudo-terminals, with the same driver settings for both.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/PacedLine.h"
#include "sbdriver/sbdriver.h"
#include "sim/Dispenser.h"

namespace sb {
struct FillingPoint;
}

namespace sbbench {

enum class LineKind { kInProcess, kPaced2400, kPaced9600 };

const char* LineName(LineKind kind);
int Baud(LineKind kind);  // 0 in process

class Station {
public:
    // Points 1..points, each with a dispenser on its line (or a line nobody answers on when silent); the driver
    // talks at the line's speed (9600 in process), writes its trace log to a file, and every point's line is
    // opened as a host opens it.
    Station(LineKind kind, int points = 1, bool silent = false);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    SbDriver* Driver() { return driver_; }
    const SbDriverVtbl& Slots() { return *driver_->vtbl; }
    sb::FillingPoint& Point(uint8_t point);
    LineKind Kind() const { return kind_; }
    // Line time of one byte; 0 in process, where bytes take no time.
    int64_t ByteNs() const;

    // A slot call as a host makes it: a failed exchange (ESerialIO) ends the call and is counted.
    void Call(const std::function<void()>& call);
    uint32_t Poll(uint8_t point = 1);
    unsigned Failures() const { return failures_; }

    void Act(uint8_t point, const std::function<void(sbsim::Dispenser&)>& action);
    // The exchanges on a point's line since the last call.
    std::vector<LineExchange> TakeExchanges(uint8_t point = 1);

    // An idle point with nozzle 1 up and the driver told of it, a price and a volume preset set: ready for START.
    void PrepareStart(double presetLitres, uint8_t point = 1);
    // Polls until the point is idle (a finished delivery taken), at most a bounded number of polls.
    void PollUntilIdle(uint8_t point = 1);

private:
    struct InProcess;
    struct OverLine;

    LineKind kind_;
    std::string settingsDir_;
    std::unique_ptr<InProcess> inProcess_;
    std::unique_ptr<OverLine> overLine_;
    SbDriver* driver_ = nullptr;
    unsigned failures_ = 0;
};

}  // namespace sbbench
