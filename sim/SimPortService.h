// A port service object as a host lends it to the driver, with simulated dispensers on its lines.
// Every exchange is recorded, and port failures can be scripted.
#ifndef SBSIM_SIMPORTSERVICE_H
#define SBSIM_SIMPORTSERVICE_H

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "line/PortServiceAdapter.h"
#include "sbdriver/sbdriver.h"
#include "sim/Dispenser.h"
#include "sim/Mutex.h"

namespace sbsim {

// Most bytes one exchange writes into the driver's buffer.
constexpr std::size_t kMaxAnswerBytes = 255;

// Records kept at most of each kind; the oldest go first, so a long run keeps its recent history.
constexpr std::size_t kMaxRecords = 65536;

// Points 1..32 have a line each, as the driver's points.
constexpr uint32_t kMaxPoint = 32;

// Line status answers of slot 4.
constexpr uint32_t kLineGood = 1;
constexpr uint32_t kLineNoAnswer = 2;

struct ExchangeRecord {
    uint32_t point = 0;
    Bytes sent;
    Bytes received;
    uint32_t replySize = 0;
};

// "1 > 04 30 05 (30) < 04": point, bytes sent, reply size, bytes received (nothing after "<" for silence).
std::string Render(const ExchangeRecord& record);

// One call of a port slot. arg1/arg2: slot 16 send count and reply size, slot 17 the constant and the
// speed code; 0 for the others.
struct SlotCall {
    int slot = 0;
    uint32_t point = 0;
    uint32_t arg1 = 0;
    uint32_t arg2 = 0;
};

// Sees every exchange before the dispenser answers it, under the line's lock: what the driver sent, on which
// point, and the dispenser, whose faults it may arm for this exchange. True makes the exchange fail as a port
// that breaks does (it raises).
using ExchangeHook = std::function<bool(uint32_t point, const Bytes& sent, Dispenser& dispenser)>;

class SimPortService : public sbline::PortServiceAdapter<SimPortService> {
public:
    SimPortService() = default;
    SimPortService(const SimPortService&) = delete;
    SimPortService& operator=(const SimPortService&) = delete;

    // Puts a dispenser on the line of a point (replacing one there); a line without one stays silent.
    Dispenser& Attach(uint32_t point, const PointConfig& config = PointConfig{});
    // The dispenser on a line, or nullptr. Touch it only while no driver call runs on another thread;
    // otherwise use Act.
    Dispenser* dispenser(uint32_t point);
    // Runs an action on a line's dispenser under the line's lock, which the line's exchanges take.
    void Act(uint32_t point, const std::function<void(Dispenser&)>& action);

    void SetErrorResult(int32_t result);      // slot 1's answer
    void SetConfigureResult(int32_t result);  // slot 17's answer
    // The next n send-and-receive calls raise a C++ exception before anything is sent.
    void ThrowOnExchanges(unsigned n);
    // The next n handler installations (slot 19) raise a C++ exception.
    void ThrowOnSetReceiveHandler(unsigned n);
    // Set while no driver call runs; every line's exchanges call it from then on.
    void SetExchangeHook(ExchangeHook hook) { hook_ = std::move(hook); }

    std::vector<ExchangeRecord> exchanges() const;
    std::vector<std::string> Transcript() const;  // Render of every exchange, in order
    std::vector<SlotCall> calls() const;
    void ClearRecords();

    SbReceiveHandler receiveHandler(uint32_t point) const;
    SbLineSetupHandler lineSetupHandler(uint32_t point) const;
    // Calls the line-setup handler the driver installed for the point, as a host does when it sets the line
    // up again; returns its result, or 0 when none is installed.
    int32_t CallLineSetup(uint32_t point);

private:
    friend class sbline::PortServiceAdapter<SimPortService>;

    // Each line has a lock of its own, so that exchanges on different lines do not wait for each other.
    struct Line {
        mutable Mutex lock;  // guards everything below
        std::unique_ptr<Dispenser> dispenser;
        SbReceiveHandler receive{nullptr, nullptr};
        SbLineSetupHandler setup{nullptr, nullptr};
        uint32_t status = kLineGood;
    };

    // The port slots.
    int32_t ErrorResult(uint32_t point);
    uint32_t LineStatus(uint32_t point);
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);
    int32_t Configure(uint32_t point, uint32_t ten, uint32_t speedCode);
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler);
    void SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler);

    // The points the driver never uses (0, and above 32) share line 0.
    Line& LineOf(uint32_t point) { return lines_[point <= kMaxPoint ? point : 0]; }
    const Line& LineOf(uint32_t point) const { return lines_[point <= kMaxPoint ? point : 0]; }
    void Record(int slot, uint32_t point, uint32_t arg1 = 0, uint32_t arg2 = 0);
    // Records the call and tells whether a scripted failure (*failures > 0) takes it, counting that one off.
    bool RecordTakingFailure(int slot, uint32_t point, unsigned* failures, uint32_t arg1 = 0, uint32_t arg2 = 0);

    std::array<Line, kMaxPoint + 1> lines_;
    // Taken for a few copies at a time; a line's lock may be held while taking it, never the other way round.
    mutable Mutex recordsLock_;  // guards everything below
    std::deque<ExchangeRecord> exchanges_;
    std::deque<SlotCall> calls_;
    int32_t errorResult_ = -1;
    int32_t configureResult_ = 0;
    unsigned throwOnExchanges_ = 0;
    unsigned throwOnSetReceiveHandler_ = 0;
    ExchangeHook hook_;  // set only while no exchange runs, so read without a lock
};

}  // namespace sbsim

#endif
