#include "line/SerialLine.h"

#include <algorithm>
#include <chrono>

#include "line/AnswerCompletion.h"
#include "line/Deadline.h"

namespace sbline {
namespace {

constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

using Clock = std::chrono::steady_clock;

// Milliseconds count bytes take on the line at baud, rounded up.
int TransmitMs(int baud, std::size_t count) {
    return static_cast<int>((count * kBitsPerByte * 1000 + static_cast<std::size_t>(baud) - 1) /
                            static_cast<std::size_t>(baud));
}

}  // namespace

int FirstByteWaitMs(int baud, std::size_t sendCount, int turnaroundMs) {
    return TransmitMs(baud, sendCount) + turnaroundMs + TransmitMs(baud, 1);
}

SerialLine::SerialLine() : device_(NewLineDevice()) {}

bool SerialLine::Configure(const std::string& path, int baud, std::string* error) {
    if (!device_->IsOpen() && !device_->Open(path, error)) return false;
    if (!device_->SetRaw8N1(baud, error)) return false;
    baud_ = baud;
    return true;
}

bool SerialLine::Exchange(const uint8_t* send, std::size_t sendCount, uint8_t* answer, std::size_t replySize,
                          std::size_t* received, std::string* error) {
    *received = 0;
    if (!device_->IsOpen() || baud_ == 0) {
        *error = "the line is not set up";
        return false;
    }
    const std::size_t limit = std::min(replySize, kMaxAnswerBytes);
    if (device_->DiscardInput(error) &&
        device_->Write(send, sendCount, TransmitMs(baud_, sendCount) + kWriteTimeoutMs, error) &&
        (replySize == 0 || Read(answer, limit, FirstByteWaitMs(baud_, sendCount, turnaroundMs_), received, error)))
        return true;
    // A device that failed is let go: the next set-up opens it afresh, as after an adapter unplugged and back.
    device_ = NewLineDevice();
    baud_ = 0;
    return false;
}

// One byte a read, so that nothing after a complete answer is taken into it. Each round either reads a byte
// or waits until a deadline that only moves forward with a byte, so the loop ends after at most limit bytes
// or one expired wait.
bool SerialLine::Read(uint8_t* answer, std::size_t limit, int firstByteWaitMs, std::size_t* received,
                      std::string* error) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(firstByteWaitMs);
    const auto gap = std::chrono::milliseconds(std::max(kInterByteGapMs, turnaroundMs_));
    while (*received < limit && !AnswerComplete(answer, *received, limit)) {
        switch (device_->ReadByte(answer + *received, MillisecondsUntil(deadline), error)) {
            case LineDevice::Read::kByte:
                ++*received;
                deadline = Clock::now() + gap;
                break;
            case LineDevice::Read::kSilence: return true;  // no (further) answer in time
            case LineDevice::Read::kFailed: return false;
        }
    }
    return true;
}

}  // namespace sbline
