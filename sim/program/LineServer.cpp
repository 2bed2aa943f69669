#include "sim/program/LineServer.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>

#include "line/posix/SerialDevice.h"
#include "sim/LineFramer.h"
#include "sim/program/CustomerCommands.h"
#include "sim/program/StateReporter.h"

namespace sbsim {
namespace {

constexpr std::size_t kReadChunk = 256;

class Server {
public:
    Server(const ServeOptions& options, Dispenser& dispenser, std::ostream& out)
        : options_(options), dispenser_(dispenser), reporter_(out) {}

    int Run() {
        reporter_.Look(dispenser_.point());
        // Runs until quit or a failed line: a dispenser serves for as long as it is switched on.
        while (!quit_) {
            pollfd fds[2] = {{options_.lineFd, POLLIN, 0}, {stdinOpen_ ? 0 : -1, POLLIN, 0}};
            // With nothing held there is nothing to time: the wait ends with the next byte or command.
            const int ready = poll(fds, 2, framer_.pending() ? kSilenceMs : -1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return Fail(sbline::SystemError("waiting for the line failed"));
            if (ready == 0) Answer(framer_.Silence());
            if (fds[0].revents & POLLIN) {
                if (!ReadLine()) return 1;
            } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return Fail("the line was hung up or failed");
            }
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) ReadCommands();
        }
        return 0;
    }

private:
    int Fail(const std::string& why) {
        std::cerr << "sbsim: " << why << "\n";
        return 1;
    }

    bool ReadLine() {
        uint8_t chunk[kReadChunk];
        const ssize_t n = read(options_.lineFd, chunk, sizeof chunk);
        if (n > 0) {
            Answer(framer_.Feed(chunk, static_cast<std::size_t>(n)));
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        Fail(n == 0 ? std::string("the line was closed") : sbline::SystemError("reading the line failed"));
        return false;
    }

    void Answer(const std::vector<Bytes>& transmissions) {
        for (const Bytes& transmission : transmissions) {
            const Bytes answer = dispenser_.Exchange(transmission);
            if (options_.trace) std::cerr << "> " << Hex(transmission) << "  < " << Hex(answer) << "\n";
            if (!answer.empty()) Send(answer);
            reporter_.Look(dispenser_.point());
        }
    }

    void Send(const Bytes& answer) {
        if (options_.unreadAnswersFd >= 0) tcflush(options_.unreadAnswersFd, TCIFLUSH);
        std::string error;
        if (!sbline::WriteAll(options_.lineFd, answer.data(), answer.size(), kWriteTimeoutMs, &error))
            std::cerr << "sbsim: the answer " << Hex(answer) << " was lost: " << error << "\n";
    }

    void ReadCommands() {
        char chunk[kReadChunk];
        const ssize_t n = read(0, chunk, sizeof chunk);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n <= 0) {
            stdinOpen_ = false;
            return;
        }
        for (ssize_t i = 0; i < n && !quit_; ++i) {
            if (chunk[i] != '\n') {
                if (command_.size() < kMaxCommandLength) command_.push_back(chunk[i]);
                else tooLong_ = true;
                continue;
            }
            if (tooLong_) std::cerr << "sbsim: command line longer than " << kMaxCommandLength << " characters\n";
            else Apply(command_);
            command_.clear();
            tooLong_ = false;
        }
    }

    void Apply(const std::string& line) {
        std::string error;
        switch (ApplyCustomerCommand(line, dispenser_.point(), &error)) {
            case CommandOutcome::kQuit: quit_ = true; break;
            case CommandOutcome::kRefused: std::cerr << "sbsim: " << error << "\n"; break;
            case CommandOutcome::kDone: reporter_.Look(dispenser_.point()); break;
        }
    }

    const ServeOptions& options_;
    Dispenser& dispenser_;
    StateReporter reporter_;
    LineFramer framer_;
    std::string command_;
    bool tooLong_ = false;
    bool stdinOpen_ = true;
    bool quit_ = false;
};

}  // namespace

int ServeLine(const ServeOptions& options, Dispenser& dispenser, std::ostream& out) {
    return Server(options, dispenser, out).Run();
}

}  // namespace sbsim
