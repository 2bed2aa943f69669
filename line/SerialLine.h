// One serial line of the host: a device in raw 8N1, written and then read until the dispenser's answer is
// complete. The same rule on every operating system; the device is the system's own (LineDevice).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "line/LineDevice.h"

namespace sbline {

// How long a dispenser may take from the end of a transmission to the first byte of its answer before the
// exchange counts as unanswered (the turnaround). A dispenser answers a poll within a few milliseconds, rarely
// later than 20; a USB serial adapter may hold what it received for up to 16 ms (the usual latency timer). 50 ms
// covers both with room for a busy host, and keeps a silent point cheap: an idle poll of one (three unanswered
// polls) takes about 230 ms at 9600 bit/s and 260 ms at 2400. A host whose dispensers or adapters are slower
// gives its own (SerialPortService).
constexpr int kDefaultTurnaroundMs = 50;
// Quiet time after the last byte that ends an answer which has not completed itself. Bytes of one answer
// follow each other without a gap (4 ms a byte at 2400 baud); a line given a longer turnaround waits that long
// here too: what holds an answer back (an adapter's buffer, a simulator on a busy machine) holds its bytes too.
constexpr int kInterByteGapMs = 50;
// Longest wait for the line to take the bytes to send, beyond their own time at the line speed.
constexpr int kWriteTimeoutMs = 1000;
// The most bytes one answer may bring: the size of the driver's exchange buffer.
constexpr std::size_t kMaxAnswerBytes = 255;

// The wait for the first byte of an answer, counted from the moment the sendCount bytes were handed to the
// device: their own time on the line, the turnaround, and the first answer byte's own time, at 10 bits a byte.
int FirstByteWaitMs(int baud, std::size_t sendCount, int turnaroundMs);

class SerialLine {
public:
    SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens the device at path if it is not open yet and sets it to raw 8N1 at baud (2400 or 9600). False
    // and the reason in *error otherwise; a line that was set up before keeps its settings.
    bool Configure(const std::string& path, int baud, std::string* error);
    // The dispenser's turnaround the first-byte wait allows for (kDefaultTurnaroundMs until set), and the gap
    // when it is longer than kInterByteGapMs.
    void SetTurnaround(int milliseconds) { turnaroundMs_ = milliseconds; }

    // Discards whatever waits in the input, writes the sendCount bytes, then reads the answer into answer
    // (capacity kMaxAnswerBytes) until it is complete (AnswerComplete), replySize bytes have come, the first
    // byte has not come in time (FirstByteWaitMs) or the gap after a byte has passed. replySize 0 reads nothing.
    // *received is the number of bytes read. False and the reason in *error when the device failed or was never set up;
    // a device that failed is closed, and the line must be set up again (Configure opens it afresh).
    bool Exchange(const uint8_t* send, std::size_t sendCount, uint8_t* answer, std::size_t replySize,
                  std::size_t* received, std::string* error);

private:
    bool Read(uint8_t* answer, std::size_t limit, int firstByteWaitMs, std::size_t* received, std::string* error);

    std::unique_ptr<LineDevice> device_;
    int baud_ = 0;
    int turnaroundMs_ = kDefaultTurnaroundMs;
};

}  // namespace sbline
