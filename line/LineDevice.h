// One serial device as a host line uses it: opened once, set to raw 8N1, its input discarded, bytes written
// with a bounded wait and read one at a time with a bounded wait. Each operating system has its own device
// (posix/TermiosDevice, win32/ComPortDevice); SerialLine builds the dispenser's answer on top of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sbline {

class LineDevice {
public:
    enum class Read { kByte, kSilence, kFailed };

    virtual ~LineDevice() = default;

    // Opens the device named path. False and the reason in *error when it cannot.
    virtual bool Open(const std::string& path, std::string* error) = 0;
    virtual bool IsOpen() const = 0;
    // Raw 8N1 at baud (2400 or 9600), no modem control, no flow control.
    virtual bool SetRaw8N1(int baud, std::string* error) = 0;
    // Throws away whatever has come in and was not read yet.
    virtual bool DiscardInput(std::string* error) = 0;
    // Writes all count bytes; false when the device failed or took them not within timeoutMs.
    virtual bool Write(const uint8_t* bytes, std::size_t count, int timeoutMs, std::string* error) = 0;
    // Reads one byte into *byte, waiting for it at most timeoutMs (0: only a byte that is there already).
    // kFailed and the reason in *error when the device failed.
    virtual Read ReadByte(uint8_t* byte, int timeoutMs, std::string* error) = 0;
};

// The device of this operating system, not open yet.
std::unique_ptr<LineDevice> NewLineDevice();

}  // namespace sbline
