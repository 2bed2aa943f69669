// A driver object on the simulated port service, with the test's own clock, log and settings file: the
// driver is reached through its method table exactly as a host reaches it.
#pragma once

#include <string>
#include <vector>

#include "driver/TVM30.h"
#include "sim/SimPortService.h"
#include "support/LogCapture.h"
#include "support/RecordingClock.h"
#include "support/TempDir.h"

namespace sbtest {

class SimDriver {
public:
    // settingsText: the contents of cnf.INI, or empty for no file.
    explicit SimDriver(const std::string& settingsText = "");
    ~SimDriver();
    SimDriver(const SimDriver&) = delete;
    SimDriver& operator=(const SimDriver&) = delete;

    SbDriver* Object() { return object_; }
    const SbDriverVtbl& Slots() { return *object_->vtbl; }
    sb::TVM30& Driver() { return sb::TVM30::From(object_); }
    sb::FillingPoint& Point(uint8_t point) { return Driver().Point(point); }
    sb::LinkContext& Link(uint8_t point) { return Driver().LinkOf(point); }
    // The line result as the host reads it (slot 3).
    uint32_t LineResult(uint32_t point) { return Slots().GetLineResult(Object(), point); }
    // Sets the price of every grade of the point (slot 11), as a host does before its first START.
    void PriceGrades(uint32_t point, double price = 0.20);

    // Exchanges rendered as "1 > 04 30 05 (30) < 04", from the last ClearRecords on.
    std::vector<std::string> Transcript() const { return port.Transcript(); }
    // Only the bytes sent, as hex, one entry per exchange.
    std::vector<std::string> Sent() const;
    // The messages the driver's data blocks carried, each put together from its blocks.
    std::vector<std::string> SentMessages() const;
    sbsim::FaultScript& Script(uint32_t point = 1) { return port.dispenser(point)->faults(); }

    RecordingClock clock;
    LogCapture log;
    TempDir dir;
    sbsim::SimPortService port;

private:
    SbDriver* object_;
};

// The bytes of a block carrying data: STX, data, ETB or ETX, check byte.
sbsim::Bytes Block(const std::string& data, bool last = true);
sbsim::Bytes Raw(std::initializer_list<uint8_t> bytes);

// Hex of a block, for comparing with transcripts.
std::string HexOf(const sbsim::Bytes& bytes);

// The status report the simulated dispenser would send: 18 characters, status at 15, digit at 13.
std::string StatusReport(char status, char digit, char first = '0', char second = '1');

}  // namespace sbtest
