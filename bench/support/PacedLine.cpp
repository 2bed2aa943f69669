#include "bench/support/PacedLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace sbbench {
namespace {

constexpr int64_t kBitsPerByte = 10;
// Quiet time after which a held lone EOT is taken as complete: sbsim's own.
constexpr int kSilenceMs = 60;

}  // namespace

int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void SleepUntilNs(int64_t deadline) {
    const timespec until{static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    // Resumes after signals towards the same deadline.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

PacedLine::PacedLine(int baud, bool silent) : byteNs_(kBitsPerByte * 1000000000 / baud), silent_(silent) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname(master_) == nullptr)
        throw std::runtime_error("no pseudo-terminal");
    device_ = ptsname(master_);
    slaveKeeper_ = open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    if (slaveKeeper_ < 0 || tcgetattr(slaveKeeper_, &raw) != 0) throw std::runtime_error("no pty slave");
    cfmakeraw(&raw);
    tcsetattr(slaveKeeper_, TCSANOW, &raw);
    if (pipe(stopPipe_) != 0) throw std::runtime_error("no pipe");
    thread_ = std::thread([this] { Serve(); });
}

PacedLine::~PacedLine() {
    const char stop = 0;
    (void)!write(stopPipe_[1], &stop, 1);
    thread_.join();
    close(stopPipe_[0]);
    close(stopPipe_[1]);
    close(slaveKeeper_);
    close(master_);
}

void PacedLine::Act(const std::function<void(sbsim::Dispenser&)>& action) {
    std::lock_guard<std::mutex> hold(mutex_);
    action(dispenser_);
}

std::vector<LineExchange> PacedLine::TakeExchanges() {
    std::lock_guard<std::mutex> hold(mutex_);
    std::vector<LineExchange> taken;
    taken.swap(exchanges_);
    return taken;
}

// Serves until the destructor writes to the stop pipe; with no bytes held the wait ends only with the next byte
// or the stop.
void PacedLine::Serve() {
    for (;;) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        const int ready = poll(fds, 2, framer_.pending() ? kSilenceMs : -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (fds[1].revents & POLLIN) != 0) return;
        if (ready == 0) {
            for (const sbsim::Bytes& transmission : framer_.Silence()) Answer(transmission, NowNs());
            continue;
        }
        if ((fds[0].revents & POLLIN) == 0) continue;
        uint8_t chunk[256];
        const int64_t arrived = NowNs();
        const ssize_t n = read(master_, chunk, sizeof chunk);
        if (n <= 0) continue;
        // The bytes of this chunk came through one after the other from the moment the first was seen; a
        // transmission is through when its last byte of the chunk is.
        const std::size_t heldBefore = framer_.held();
        const std::vector<sbsim::Bytes> transmissions = framer_.Feed(chunk, static_cast<std::size_t>(n));
        std::size_t consumed = 0;  // bytes of the held ones and of this chunk taken by the transmissions so far
        for (const sbsim::Bytes& transmission : transmissions) {
            consumed += transmission.size();
            const std::size_t ofChunk = consumed > heldBefore ? consumed - heldBefore : 0;
            Answer(transmission, arrived + static_cast<int64_t>(ofChunk) * byteNs_);
        }
    }
}

void PacedLine::Answer(const sbsim::Bytes& transmission, int64_t throughAt) {
    LineExchange exchange;
    exchange.sent = transmission.size();
    if (silent_) {
        std::lock_guard<std::mutex> hold(mutex_);
        exchanges_.push_back(exchange);
        return;
    }
    SleepUntilNs(throughAt);
    // Held until the exchange is recorded: the host has the answer's last byte only after that, so the record
    // is there when the host's call returns.
    std::lock_guard<std::mutex> hold(mutex_);
    const sbsim::Bytes answer = dispenser_.Exchange(transmission);
    exchange.answered = answer.size();
    if (!answer.empty()) {
        const int64_t start = NowNs();
        for (std::size_t i = 0; i < answer.size(); ++i) {
            SleepUntilNs(start + static_cast<int64_t>(i + 1) * byteNs_);
            (void)!write(master_, &answer[i], 1);
        }
        exchange.simulatorNs = NowNs() - throughAt - static_cast<int64_t>(answer.size()) * byteNs_;
    }
    exchanges_.push_back(exchange);
}

}  // namespace sbbench
