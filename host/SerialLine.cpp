#include "host/SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "host/AnswerCompletion.h"
#include "host/SerialDevice.h"

namespace sbline {
namespace {

constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

SerialLine::~SerialLine() {
    if (fd_ >= 0) close(fd_);
}

bool SerialLine::Configure(const std::string& path, int baud, std::string* error) {
    if (fd_ < 0) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) {
            *error = SystemError("cannot open " + path);
            return false;
        }
    }
    if (!SetRawLine(fd_, baud, error)) return false;
    baud_ = baud;
    return true;
}

int SerialLine::TransmitMs(std::size_t count) const {
    return static_cast<int>((count * kBitsPerByte * 1000 + static_cast<std::size_t>(baud_) - 1) /
                            static_cast<std::size_t>(baud_));
}

bool SerialLine::Exchange(const uint8_t* send, std::size_t sendCount, uint8_t* answer, std::size_t replySize,
                          std::size_t* received, std::string* error) {
    *received = 0;
    if (fd_ < 0 || baud_ == 0) {
        *error = "the line is not set up";
        return false;
    }
    if (tcflush(fd_, TCIFLUSH) != 0) {
        *error = SystemError("cannot discard the line's input");
        return false;
    }
    if (!WriteAll(fd_, send, sendCount, TransmitMs(sendCount) + kWriteTimeoutMs, error)) return false;
    if (replySize == 0) return true;
    const std::size_t limit = std::min(replySize, kMaxAnswerBytes);
    return Read(answer, limit, TransmitMs(sendCount) + kFirstByteTimeoutMs, received, error);
}

// One byte a read, so that nothing after a complete answer is taken into it. Each round either reads a byte
// or waits until a deadline that only moves forward with a byte, so the loop ends after at most limit bytes
// or one expired wait.
bool SerialLine::Read(uint8_t* answer, std::size_t limit, int firstByteWaitMs, std::size_t* received,
                      std::string* error) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(firstByteWaitMs);
    while (*received < limit && !AnswerComplete(answer, *received, limit)) {
        pollfd readable{fd_, POLLIN, 0};
        const int ready = poll(&readable, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            *error = SystemError("waiting for the line failed");
            return false;
        }
        if (ready == 0) return true;  // no (further) answer in time
        const ssize_t n = read(fd_, answer + *received, 1);
        if (n > 0) {
            ++*received;
            deadline = Clock::now() + std::chrono::milliseconds(kInterByteGapMs);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            *error = n == 0 ? std::string("the line was closed") : SystemError("reading the line failed");
            return false;
        }
    }
    return true;
}

}  // namespace sbline
