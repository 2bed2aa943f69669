// The host's port service over serial devices: the object a host lends the driver, point n served on the
// device given for line n.
//
// Speed code (slot 17): the low 16 bits are the speed, 2400 or 9600 baud. The top byte is 0 for a dispenser
// line and 7 for a line that carries a T10 counting unit; the unit talks 8N1 like the dispensers (its counter
// answer carries binary bytes, so it needs all 8 data bits) at the speed in the low bits, which the driver
// fixes at 2400. Any other speed code is refused with kUnsupportedSpeed. The constant the driver passes
// before the speed code (10) selects nothing.
//
// The driver calls the slots of one point under that point's lock and every point has a record of its own,
// fixed when the object is made, so the object takes no lock. No C++ exception leaves a slot.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "line/PortServiceAdapter.h"
#include "line/SerialLine.h"
#include "sbdriver/sbdriver.h"

namespace sbline {

constexpr uint32_t kMaxPoint = 32;

// Results of slots 1, 16 and 17 other than success (0).
constexpr int32_t kPortFailed = -1;        // slot 1: a port call failed unexpectedly
constexpr int32_t kNoSuchLine = -2;        // no device was given for the point's line
constexpr int32_t kUnsupportedSpeed = -3;  // slot 17: the speed code names no supported line
constexpr int32_t kDeviceFailed = -4;      // the device could not be opened, set up, written or read

// Line results of slot 4.
constexpr uint32_t kLineGood = 1;      // an answer came, or none was awaited
constexpr uint32_t kLineNoAnswer = 2;  // an answer was awaited and nothing came

// Top byte of the speed code of a line with a T10 counting unit.
constexpr uint32_t kLinkUnitLineMark = 7;

class SerialPortService : public PortServiceAdapter<SerialPortService> {
public:
    // devices: point (1..32) to the path of its line's device; other points have no line. turnaroundMs: how long
    // the dispensers may take to begin an answer (SerialLine.h).
    explicit SerialPortService(const std::map<uint32_t, std::string>& devices, int turnaroundMs = kDefaultTurnaroundMs);
    SerialPortService(const SerialPortService&) = delete;
    SerialPortService& operator=(const SerialPortService&) = delete;

    // Why the latest failed call on the point's line failed; empty when none did.
    std::string LastError(uint32_t point) const;

private:
    friend class PortServiceAdapter<SerialPortService>;

    struct Line {
        std::string device;
        SerialLine serial;
        SbReceiveHandler receive{nullptr, nullptr};
        SbLineSetupHandler setup{nullptr, nullptr};
        uint32_t status = kLineGood;
        std::string error;
    };

    // The port slots.
    int32_t ErrorResult(uint32_t point);
    uint32_t LineStatus(uint32_t point);
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);
    int32_t Configure(uint32_t point, uint32_t ten, uint32_t speedCode);
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler);
    void SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler);

    Line* LineOf(uint32_t point);
    int32_t ConfigureLine(uint32_t point, uint32_t speedCode);
    int32_t Exchange(uint32_t point, const uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize);

    std::array<Line, kMaxPoint + 1> lines_;  // index 0 unused
};

}  // namespace sbline
