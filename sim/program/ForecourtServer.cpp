#include "sim/program/ForecourtServer.h"

#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <sstream>
#include <string>

#include "line/posix/SerialDevice.h"
#include "sim/program/ForecourtCommands.h"

namespace sbsim {
namespace {

using Clock = BytePacer::Clock;
constexpr std::size_t kReadChunk = 256;

// A pipe, socket or terminal on standard input has a controlling side (a host's script, a person) whose end
// ends the forecourt; /dev/null or a file only hands over its commands, and the points serve on after them.
bool InputEndsService() {
    struct stat input {};
    if (fstat(0, &input) != 0) return false;
    return S_ISFIFO(input.st_mode) || S_ISSOCK(input.st_mode) || isatty(0) != 0;
}

int MillisecondsUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) return 0;
    // Rounded up, so the wait never ends before the moment.
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(when - now + std::chrono::microseconds(999)).count());
}

class Server {
public:
    Server(const std::vector<std::unique_ptr<ServedPoint>>& points, LineTrace& trace, int stopSignal)
        : points_(points), trace_(trace), stopSignal_(stopSignal), inputEndsService_(InputEndsService()) {}

    int Run() {
        for (const auto& point : points_) {
            if (!point->replay) point->reporter.Look(point->dispenser.point());
        }
        std::vector<pollfd> fds(points_.size() + 2);
        pollfd& commands = fds[points_.size()];
        pollfd& stop = fds.back();
        stop = {stopSignal_, POLLIN, 0};
        // Runs until quit, a stop signal, the end of a controlling input or a failed channel: a dispenser serves
        // for as long as it is switched on.
        while (!quit_) {
            const Clock::time_point now = Clock::now();
            int timeout = -1;  // nothing pending: the wait ends with the next byte or command
            for (std::size_t i = 0; i < points_.size(); ++i) {
                const ServedPoint& point = *points_[i];
                fds[i] = {point.channel.fd, POLLIN, 0};
                if (point.framer.pending())
                    Earliest(&timeout, point.lastInput + std::chrono::milliseconds(kSilenceMs), now);
                if (point.pacer.Pending()) Earliest(&timeout, point.pacer.NextDue(), now);
            }
            commands = {stdinOpen_ ? 0 : -1, POLLIN, 0};
            const int ready = poll(fds.data(), fds.size(), timeout);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return Fail(sbline::SystemError("waiting for the lines failed"));
            for (std::size_t i = 0; i < points_.size(); ++i) {
                if (!Serve(*points_[i], fds[i].revents)) return 1;
                if (points_[i]->replay && points_[i]->replay->Halted()) return kExitDiffers;
            }
            if (commands.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) ReadCommands();
            if (stop.revents != 0) quit_ = true;
        }
        return 0;
    }

private:
    static void Earliest(int* timeout, Clock::time_point when, Clock::time_point now) {
        const int wait = MillisecondsUntil(when, now);
        *timeout = *timeout < 0 ? wait : std::min(*timeout, wait);
    }

    static int Fail(const std::string& why) {
        std::cerr << "sbsim: " << why << "\n";
        return 1;
    }

    // Reads, answers what is complete, and sends what is due; false when the channel failed.
    bool Serve(ServedPoint& point, short events) {
        if (events & POLLIN) {
            if (!Read(point)) return false;
        } else if (events & (POLLERR | POLLHUP | POLLNVAL)) {
            Fail("point " + std::to_string(point.address) + ": the line was hung up or failed");
            return false;
        }
        const Clock::time_point now = Clock::now();
        if (point.framer.pending() && now - point.lastInput >= std::chrono::milliseconds(kSilenceMs))
            Answer(point, point.framer.Silence());
        if (point.pacer.Pending() && point.pacer.NextDue() <= now) Send(point, now);
        return true;
    }

    bool Read(ServedPoint& point) {
        uint8_t chunk[kReadChunk];
        const ssize_t n = read(point.channel.fd, chunk, sizeof chunk);
        if (n > 0) {
            point.lastInput = Clock::now();
            Answer(point, point.framer.Feed(chunk, static_cast<std::size_t>(n)));
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        Fail("point " + std::to_string(point.address) + ": " +
             (n == 0 ? std::string("the line was closed") : sbline::SystemError("reading the line failed")));
        return false;
    }

    void Answer(ServedPoint& point, const std::vector<Bytes>& transmissions) {
        for (const Bytes& transmission : transmissions) {
            const Bytes answer = point.OnTheLine(point.Respond(transmission));
            trace_.Exchange(point.address, transmission, answer);
            // The answers the host left unread are dropped, as its port service drops them before each
            // transmission, so that a host that stops reading cannot fill the pty and stall the answers.
            if (!answer.empty() && !point.pacer.Pending() && point.channel.slaveKeeper >= 0)
                tcflush(point.channel.slaveKeeper, TCIFLUSH);
            point.pacer.Queue(answer, transmission.size(), Clock::now());
            if (!point.replay) point.reporter.Look(point.dispenser.point());
        }
    }

    void Send(ServedPoint& point, Clock::time_point now) {
        const Bytes due = point.pacer.TakeDue(now);
        const ssize_t written = write(point.channel.fd, due.data(), due.size());
        if (written == static_cast<ssize_t>(due.size())) {
            point.blocked = false;
            return;
        }
        // Bytes the line did not take go out after the rest, unless it refuses them for too long.
        if (!point.blocked) point.blockedSince = now;
        point.blocked = true;
        if (now - point.blockedSince > std::chrono::milliseconds(kWriteTimeoutMs)) {
            std::cerr << "sbsim: point " << point.address << ": an answer was lost: the line took nothing for "
                      << kWriteTimeoutMs << " ms\n";
            point.pacer.Drop();
            point.blocked = false;
            return;
        }
        const std::size_t taken = written > 0 ? static_cast<std::size_t>(written) : 0;
        point.pacer.PutBack(Bytes(due.begin() + static_cast<std::ptrdiff_t>(taken), due.end()), now);
    }

    void ReadCommands() {
        char chunk[kReadChunk];
        const ssize_t n = read(0, chunk, sizeof chunk);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n <= 0) {
            stdinOpen_ = false;
            if (inputEndsService_) quit_ = true;
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
        // A replayed point has no customer and no faults of its own: the recording says what happened.
        std::istringstream words(line);
        std::string first;
        if (points_.front()->replay && words >> first && first != "quit") {
            std::cerr << "sbsim: replayed points take no command but quit\n";
            return;
        }
        switch (ApplyForecourtCommand(line, points_, &error)) {
            case CommandOutcome::kQuit: quit_ = true; break;
            case CommandOutcome::kRefused: std::cerr << "sbsim: " << error << "\n"; break;
            case CommandOutcome::kDone: break;
        }
    }

    const std::vector<std::unique_ptr<ServedPoint>>& points_;
    LineTrace& trace_;
    const int stopSignal_;
    const bool inputEndsService_;
    std::string command_;
    bool tooLong_ = false;
    bool stdinOpen_ = true;
    bool quit_ = false;
};

}  // namespace

int ServeForecourt(const std::vector<std::unique_ptr<ServedPoint>>& points, LineTrace& trace, int stopSignal) {
    return Server(points, trace, stopSignal).Run();
}

}  // namespace sbsim
