// One serial line of the host: a device in raw 8N1, written and then read until the dispenser's answer is
// complete. The same rule on every operating system; the device is the system's own (LineDevice).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "line/LineDevice.h"

namespace sbline {

// Wait for the first byte of an answer, counted from the moment the sent bytes have left at the line speed.
// A dispenser answers within a few tens of milliseconds; this leaves room for a loaded host.
constexpr int kFirstByteTimeoutMs = 300;
// Quiet time after the last byte that ends an answer which has not completed itself. Bytes of one answer
// follow each other without a gap (4 ms a byte at 2400 baud).
constexpr int kInterByteGapMs = 50;
// Longest wait for the line to take the bytes to send, beyond their own time at the line speed.
constexpr int kWriteTimeoutMs = 1000;
// The most bytes one answer may bring: the size of the driver's exchange buffer.
constexpr std::size_t kMaxAnswerBytes = 255;

class SerialLine {
public:
    SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens the device at path if it is not open yet and sets it to raw 8N1 at baud (2400 or 9600). False
    // and the reason in *error otherwise; a line that was set up before keeps its settings.
    bool Configure(const std::string& path, int baud, std::string* error);

    // Discards whatever waits in the input, writes the sendCount bytes, then reads the answer into answer
    // (capacity kMaxAnswerBytes) until it is complete (AnswerComplete), replySize bytes have come, the first
    // byte has not come in time or the gap after a byte has passed. replySize 0 reads nothing. *received is
    // the number of bytes read. False and the reason in *error when the device failed or was never set up.
    bool Exchange(const uint8_t* send, std::size_t sendCount, uint8_t* answer, std::size_t replySize,
                  std::size_t* received, std::string* error);

private:
    bool Read(uint8_t* answer, std::size_t limit, int firstByteWaitMs, std::size_t* received, std::string* error);
    int TransmitMs(std::size_t count) const;

    std::unique_ptr<LineDevice> device_;
    int baud_ = 0;
};

}  // namespace sbline
