#include "host/monitor/PointWorker.h"

#include <mutex>
#include <optional>

#include "host/program/DriverFailures.h"
#include "host/program/DriverTexts.h"

namespace sbhost {
namespace {

// How long the thread sleeps when it has nothing to do: a typed command waits at most this long.
constexpr int kIdleMs = 10;
// A line that would not open is tried again this often (a USB adapter plugged in, a device freed).
constexpr auto kReopenEvery = std::chrono::seconds(5);

// The latest fault of an answer that came amiss between the two records, if one came.
std::optional<Fault> AnsweredAmiss(const LineCounts& before, const LineCounts& after) {
    std::optional<Fault> latest;
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        const Fault fault = static_cast<Fault>(kind);
        if (fault == Fault::kNoAnswer || !sbdecode::KindOf(fault).onTheLine) continue;
        if (after.Of(fault).count > before.Of(fault).count &&
            (!latest || after.Of(fault).last >= after.Of(*latest).last))
            latest = fault;
    }
    return latest;
}

}  // namespace

PointWorker::PointWorker(SbDriver* driver, uint32_t point, std::string device, bool opened, PortWatch& watch,
                         LineError lineError)
    : driver_(driver),
      point_(point),
      watch_(watch),
      lineError_(std::move(lineError)),
      session_(driver, point, quiet_, watch),
      opened_(opened) {
    view_.point = point;
    view_.device = std::move(device);
}

PointWorker::~PointWorker() { Join(); }

void PointWorker::Join() {
    stop_.store(true);
    thread_.reset();
}

bool PointWorker::Start() {
    thread_ = std::make_unique<WorkerThread>([this] { Run(); });
    return thread_->Started();
}

void PointWorker::Queue(const LineCommand& command) {
    std::lock_guard<sbsim::Mutex> hold(lock_);
    commands_.push_back(command);
}

PointView PointWorker::View() const {
    std::lock_guard<sbsim::Mutex> hold(lock_);
    return view_;
}

std::vector<Told> PointWorker::TakeTold() {
    std::lock_guard<sbsim::Mutex> hold(lock_);
    std::vector<Told> told;
    told.swap(told_);
    return told;
}

// Ends when asked, once the commands typed before have run; every turn is one command, one round (calls
// bounded by the driver's limit on exchanges) or a short sleep.
void PointWorker::Run() {
    for (;;) {
        std::optional<LineCommand> command;
        {
            std::lock_guard<sbsim::Mutex> hold(lock_);
            if (!commands_.empty()) {
                command = commands_.front();
                commands_.pop_front();
            }
        }
        if (command) {
            RunTyped(*command);
        } else if (stop_.load()) {
            break;
        } else if (done_.load() < asked_.load()) {
            Round();
        } else {
            SleepMilliseconds(kIdleMs);
        }
    }
    stopped_.store(true);
}

bool PointWorker::Call(const std::function<void()>& call, std::string* failure) {
    int unused = 0;
    // Nothing the guarded call holds needs its destructor: a structured exception on Windows skips them.
    const bool returned = RunCatchingDriverFailures(
        [&call] {
            call();
            return 0;
        },
        &unused, failure);
    if (!returned) watch_.Note(point_, Fault::kDriverFailure);
    return returned;
}

void PointWorker::OpenLine() {
    const auto now = std::chrono::steady_clock::now();
    if (lastOpenTry_ != std::chrono::steady_clock::time_point() && now - lastOpenTry_ < kReopenEvery) return;
    lastOpenTry_ = now;
    int32_t answer = -1;
    std::string failure;
    const bool returned = Call([&] { answer = session_.slots().OpenLine(driver_, point_); }, &failure);
    if (returned && answer == 0) {
        opened_ = true;
        watch_.Opened(point_);
        return;
    }
    const std::string reason = returned ? lineError_(point_) : failure;
    bool newly = false;
    {
        std::lock_guard<sbsim::Mutex> hold(lock_);
        newly = view_.condition != Condition::kDeviceMissing;
        view_.condition = Condition::kDeviceMissing;
        view_.openError = reason;
    }
    if (newly) watch_.Note(point_, Fault::kDeviceMissing);
}

void PointWorker::Round() {
    const uint64_t round = asked_.load();
    if (!opened_) OpenLine();
    if (!opened_) {
        done_.store(round);
        return;
    }
    const LineCounts before = watch_.Counts(point_);
    uint32_t code = 0;
    std::string failure;
    const bool polled = Call([&] { code = session_.Poll(); }, &failure);
    const uint32_t lineResult = session_.LineResult();
    bool returned = polled;
    Figures figures;
    bool read = false;
    if (polled && lineResult != kNoAnswer && HasFigures(code)) {
        read = true;
        returned = Call([&] { figures = session_.Current(); }, &failure);
        if (!returned) {
            figures = Figures{};
            figures.known = false;
            figures.lineResult = session_.LineResult();
        }
    }
    const LineCounts after = watch_.Counts(point_);
    const bool deviceMissing = after.deviceMissing;
    const std::string lineError = deviceMissing ? lineError_(point_) : "";
    // A device that failed while open is set up afresh, as one that would not open: tried every kReopenEvery.
    if (deviceMissing) opened_ = false;

    std::lock_guard<sbsim::Mutex> hold(lock_);
    PointView& view = view_;
    if (polled) view.code = code;
    view.lineResult = lineResult;
    view.roundFault = AnsweredAmiss(before, after);
    view.condition = deviceMissing             ? Condition::kDeviceMissing
                     : !returned               ? Condition::kFailed
                     : lineResult == kNoAnswer ? Condition::kUnanswered
                                               : Condition::kAnswering;
    view.failure = returned ? "" : failure;
    if (!returned) view.lastFailure = failure;
    view.openError = lineError;
    view.delivery = HasFigures(view.code);
    if (!view.delivery) haveKnown_ = false;
    if (read && figures.known) {
        lastKnown_ = figures;
        haveKnown_ = true;
    }
    view.stale = view.delivery && haveKnown_ && !(read && figures.known);
    view.figures = haveKnown_ ? lastKnown_ : figures;
    view.figures.known = haveKnown_;
    view.figures.lineResult = read ? figures.lineResult : lineResult;
    ++view.rounds;
    done_.store(round);
}

void PointWorker::RunTyped(const LineCommand& command) {
    std::vector<Told> told;
    Output out(&told);
    PointSession session(driver_, point_, out, watch_);
    const std::string head = "point " + std::to_string(point_) + ": ";
    std::string failure;
    bool returned = true;
    if (!opened_) OpenLine();
    if (opened_) returned = Call([&] { RunCommand(session, command); }, &failure);
    else told.push_back(Told{"the line is not open: " + View().openError, JsonObject()});
    for (Told& one : told) one.text = head + one.text;
    if (!returned) {
        const std::string gloss = DriverGloss(failure);
        told.push_back(Told{head + command.name + ": the driver failed" + (gloss.empty() ? "" : ": " + gloss),
                            JsonObject()
                                .Text("event", "failure")
                                .Number("point", point_)
                                .Text("command", command.name)
                                .Text("failure", failure)
                                .Text("gloss", gloss)});
        told.push_back(Told{head + failure, JsonObject()});
    } else if (opened_ && ExchangesWithDispenser(command) && session.Silent()) {
        session.TellSilence();
    }
    std::lock_guard<sbsim::Mutex> hold(lock_);
    for (Told& one : told) told_.push_back(std::move(one));
}

}  // namespace sbhost
