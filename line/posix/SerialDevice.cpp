#include "line/posix/SerialDevice.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "line/Deadline.h"

namespace sbline {

bool SetRawLine(int fd, int baud, std::string* error) {
    if (!IsSupportedBaud(baud)) {
        *error = "unsupported speed " + std::to_string(baud) + " (2400 or 9600)";
        return false;
    }
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        *error = SystemError("cannot read the line settings");
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    const speed_t speed = baud == kBaud9600 ? B9600 : B2400;
    if (cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0 ||
        tcsetattr(fd, TCSANOW, &settings) != 0) {
        *error = SystemError("cannot set the line to raw 8N1 at " + std::to_string(baud));
        return false;
    }
    return true;
}

// Each round writes a byte or more, or waits for room until the one deadline, so the loop ends.
bool WriteAll(int fd, const uint8_t* bytes, std::size_t count, int timeoutMs, std::string* error) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = write(fd, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            *error = SystemError("writing to the line failed");
            return false;
        }
        const int left = MillisecondsUntil(deadline);
        pollfd writable{fd, POLLOUT, 0};
        if (left == 0 || poll(&writable, 1, left) == 0) {
            *error = "the line took no bytes for " + std::to_string(timeoutMs) + " ms";
            return false;
        }
    }
    return true;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace sbline
