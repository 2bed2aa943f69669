// A host line's device under termios: a tty or a pseudo-terminal, non-blocking, waited on with poll.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "line/Deadline.h"
#include "line/LineDevice.h"
#include "line/posix/SerialDevice.h"

namespace sbline {
namespace {

using Clock = std::chrono::steady_clock;

class TermiosDevice : public LineDevice {
public:
    TermiosDevice() = default;
    ~TermiosDevice() override {
        if (fd_ < 0) return;
        ioctl(fd_, TIOCNXCL);  // a pty's other side may keep it open: the next host must be able to open it
        close(fd_);
    }
    TermiosDevice(const TermiosDevice&) = delete;
    TermiosDevice& operator=(const TermiosDevice&) = delete;

    // One program at a time on a line: a lock on the open device, which every host of ours takes (and the
    // system drops with the program, however it ends), and the terminal's exclusive mode, which keeps other
    // programs from opening it at all.
    bool Open(const std::string& path, std::string* error) override {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) {
            *error = errno == EBUSY ? path + " is in use by another program" : SystemError("cannot open " + path);
            return false;
        }
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            *error = errno == EWOULDBLOCK ? path + " is in use by another program" : SystemError("cannot lock " + path);
            close(fd_);
            fd_ = -1;
            return false;
        }
        ioctl(fd_, TIOCEXCL);  // not every device is a terminal: the lock alone then
        return true;
    }
    bool IsOpen() const override { return fd_ >= 0; }
    bool SetRaw8N1(int baud, std::string* error) override { return SetRawLine(fd_, baud, error); }
    bool DiscardInput(std::string* error) override {
        if (tcflush(fd_, TCIFLUSH) == 0) return true;
        *error = SystemError("cannot discard the line's input");
        return false;
    }
    bool Write(const uint8_t* bytes, std::size_t count, int timeoutMs, std::string* error) override {
        return WriteAll(fd_, bytes, count, timeoutMs, error);
    }

    // Each round waits until the one deadline and reads the byte or fails; an interrupted wait or a wake-up
    // without a byte waits again for what is left, so the loop ends by the deadline. Only a device that said
    // it is readable is read: with VMIN 0 a read of nothing returns 0, as a closed line does.
    Read ReadByte(uint8_t* byte, int timeoutMs, std::string* error) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pollfd readable{fd_, POLLIN, 0};
            const int ready = poll(&readable, 1, MillisecondsUntil(deadline));
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) {
                *error = SystemError("waiting for the line failed");
                return Read::kFailed;
            }
            if (ready == 0) return Read::kSilence;
            const ssize_t n = read(fd_, byte, 1);
            if (n == 1) return Read::kByte;
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                *error = n == 0 ? std::string("the line was closed") : SystemError("reading the line failed");
                return Read::kFailed;
            }
        }
    }

private:
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<LineDevice> NewLineDevice() { return std::make_unique<TermiosDevice>(); }

}  // namespace sbline
