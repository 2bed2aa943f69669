// One point of the monitor on a thread of its own: it opens the point's line, polls it once for every round the
// monitor asks for (with the running figures while a delivery runs), and runs the commands a technician typed
// for it. A driver failure, a line that will not open and a call that takes the driver's whole bound stay this
// point's state: the other points' threads go on. The driver takes calls for different points at the same time,
// and one point's calls one after another, which is what one thread per point gives it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/lines/LineCommands.h"
#include "host/lines/PointSession.h"
#include "host/lines/PortWatch.h"
#include "host/program/HostSystem.h"
#include "sim/Mutex.h"

namespace sbhost {

// What the monitor shows of a point: its condition, and why when it is not answering.
enum class Condition { kStarting, kAnswering, kUnanswered, kFailed, kDeviceMissing };

// What the point's thread last saw.
struct PointView {
    uint32_t point = 0;
    std::string device;
    Condition condition = Condition::kStarting;
    std::string openError;    // kDeviceMissing: the system's reason
    std::string failure;      // kFailed: the driver's text (UTF-8)
    std::string lastFailure;  // the driver's text of the latest call that failed, kept after
    uint32_t code = 0xC0;     // the latest state code the driver returned
    uint32_t lineResult = 0;
    // The fault of the latest round's exchanges that answered amiss (the latest of them), when one did: a
    // dispenser whose answers came spoilt is reached, not silent.
    std::optional<Fault> roundFault;
    // While a delivery runs or has stopped (HasFigures): the latest figures read, or the last ones that were read
    // when the latest read failed (stale), or none (unknown).
    bool delivery = false;
    Figures figures;
    bool stale = false;
    uint64_t rounds = 0;  // polls done
};

class PointWorker {
public:
    using LineError = std::function<std::string(uint32_t point)>;

    // opened: the point's line is open already.
    PointWorker(SbDriver* driver, uint32_t point, std::string device, bool opened, PortWatch& watch,
                LineError lineError);
    // Join()s.
    ~PointWorker();
    PointWorker(const PointWorker&) = delete;
    PointWorker& operator=(const PointWorker&) = delete;

    // Starts the thread; false when the system refused one.
    bool Start();
    // The thread ends after its current call and the commands queued; Stopped() tells when it has.
    void AskStop() { stop_.store(true); }
    bool Stopped() const { return stopped_.load(); }
    // Asks the thread to stop and waits for it: its call ends within the driver's bound (sooner once the
    // watch is closed).
    void Join();
    // Poll once more for round number `round` (rounds count up from 1).
    void AskRound(uint64_t round) { asked_.store(round); }
    bool Done(uint64_t round) const { return done_.load() >= round; }
    // The point runs the command after its current call.
    void Queue(const LineCommand& command);
    PointView View() const;
    // What the commands run since the last call told, in both forms.
    std::vector<Told> TakeTold();

private:
    void Run();
    void Round();
    void OpenLine();
    void RunTyped(const LineCommand& command);
    // One driver call, its failure caught: true when it returned.
    bool Call(const std::function<void()>& call, std::string* failure);

    SbDriver* driver_;
    const uint32_t point_;
    PortWatch& watch_;
    LineError lineError_;
    std::vector<Told> unheard_;  // what the polling session would tell: nothing, but it needs somewhere
    Output quiet_{&unheard_};
    PointSession session_;
    bool opened_ = false;
    std::chrono::steady_clock::time_point lastOpenTry_;
    Figures lastKnown_;
    bool haveKnown_ = false;

    mutable sbsim::Mutex lock_;  // view_, commands_, told_
    PointView view_;
    std::deque<LineCommand> commands_;
    std::vector<Told> told_;

    std::atomic<uint64_t> asked_{0};
    std::atomic<uint64_t> done_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> stopped_{false};
    std::unique_ptr<WorkerThread> thread_;
};

}  // namespace sbhost
