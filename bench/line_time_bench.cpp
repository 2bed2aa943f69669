// Each operation's time against its lower bound on the line: the pauses the line protocol demands (20 ms before
// every exchange and the operation's own waits), ten bit times for every byte the host must wait for (its
// transmission and the answer; a transmission that awaits no answer leaves during the next pause), and the time
// the simulator takes to answer. In process bytes take no time and the bound is the pauses alone. The exchanges
// and bytes are counted from the line's transcript of every run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/PacedLine.h"
#include "bench/support/Station.h"
#include "platform/Clock.h"
#include "state/PositionTable.h"

namespace sbbench {
namespace {

constexpr int64_t kExchangePauseNs = 20000000;
constexpr uint8_t kFollowUpEvery = 5;  // the driver sends the follow-up when the silent count mod 5 is 4

// The system clock, with the waits the driver keeps of its own (not the pause before each exchange) added up.
class WaitCounter final : public sb::platform::TimeSource {
public:
    WaitCounter() : previous_(sb::platform::InstallTimeSource(this)) {}
    ~WaitCounter() override { sb::platform::InstallTimeSource(previous_); }

    sb::platform::TimeOfDay LocalTime() override { return sb::platform::SystemTime().LocalTime(); }
    void Sleep(uint32_t milliseconds) override {
        waitedMs_ += milliseconds;
        sb::platform::SystemTime().Sleep(milliseconds);
    }
    sb::platform::Microseconds Monotonic() override { return sb::platform::SystemTime().Monotonic(); }
    void SleepUntil(sb::platform::Microseconds deadline) override { sb::platform::SystemTime().SleepUntil(deadline); }

    uint32_t TakeWaitedMs() {
        const uint32_t waited = waitedMs_;
        waitedMs_ = 0;
        return waited;
    }

private:
    sb::platform::TimeSource* previous_;
    uint32_t waitedMs_ = 0;
};

// Measured time, bound and transcript figures summed over the runs of one operation.
struct Tally {
    double operations = 0;
    double measuredNs = 0;
    double boundNs = 0;
    double exchanges = 0;
    double bytes = 0;
    double answered = 0;
    double simulatorNs = 0;

    void Add(int64_t measured, const std::vector<LineExchange>& line, uint32_t waitedMs, int64_t byteNs,
             int operationsRun) {
        operations += operationsRun;
        measuredNs += static_cast<double>(measured);
        boundNs += static_cast<double>(waitedMs) * 1e6;
        for (const LineExchange& exchange : line) {
            exchanges += 1;
            bytes += static_cast<double>(exchange.sent + exchange.answered);
            boundNs += kExchangePauseNs;
            if (exchange.answered == 0) continue;
            answered += 1;
            simulatorNs += static_cast<double>(exchange.simulatorNs);
            boundNs += static_cast<double>((exchange.sent + exchange.answered) * byteNs + exchange.simulatorNs);
        }
    }

    void Report(benchmark::State& state) const {
        if (operations == 0) return;
        state.counters["exchanges"] = exchanges / operations;
        state.counters["bytes"] = bytes / operations;
        state.counters["bound_ms"] = boundNs / operations / 1e6;
        state.counters["measured_ms"] = measuredNs / operations / 1e6;
        state.counters["ratio"] = boundNs > 0 ? measuredNs / boundNs : 0;
        state.counters["sim_us"] = answered > 0 ? simulatorNs / answered / 1e3 : 0;
    }
};

// Times operation (after prepare, untimed) once per iteration; operationsRun: how many operations one run makes,
// so that the figures are per operation.
void Measure(benchmark::State& state, Station& station, const std::function<void()>& prepare,
             const std::function<void()>& operation, int operationsRun = 1) {
    WaitCounter clock;
    Tally tally;
    for (auto _ : state) {
        prepare();
        station.TakeExchanges();
        clock.TakeWaitedMs();
        const int64_t start = NowNs();
        operation();
        const int64_t took = NowNs() - start;
        state.SetIterationTime(static_cast<double>(took) / 1e9);
        tally.Add(took, station.TakeExchanges(), clock.TakeWaitedMs(), station.ByteNs(), operationsRun);
    }
    tally.Report(state);
    state.SetLabel(LineName(station.Kind()));
    if (station.Failures() != 0) state.SkipWithError("a dispenser exchange failed");
}

// A point that has had its first poll (with the MASTER RESET that opening the line asks for).
void FirstPollsDone(Station& station) {
    station.Poll();
    station.Poll();
}

bool NextPollFollowsUp(Station& station) {
    return station.Point(1).NoReplyCount % kFollowUpEvery == kFollowUpEvery - 1;
}

// The plain poll (variant 0) or the follow-up poll (variant 1) of an idle point.
void IdlePoll(benchmark::State& state, LineKind kind, int variant) {
    Station station(kind);
    FirstPollsDone(station);
    const bool followUp = variant != 0;
    Measure(
        state, station,
        [&] {
            for (int i = 0; i < kFollowUpEvery && NextPollFollowsUp(station) != followUp; ++i) station.Poll();
        },
        [&] { station.Poll(); });
}

void IdlePollCycle(benchmark::State& state, LineKind kind, int) {
    Station station(kind);
    FirstPollsDone(station);
    Measure(
        state, station, [] {},
        [&] {
            for (int i = 0; i < kFollowUpEvery; ++i) station.Poll();
        },
        kFollowUpEvery);
}

void PollWithStatusReport(benchmark::State& state, LineKind kind, int) {
    Station station(kind);
    FirstPollsDone(station);
    Measure(
        state, station,
        [&] { station.Act(1, [](sbsim::Dispenser& dispenser) { dispenser.point().QueueStatusReport('0', 0); }); },
        [&] { station.Poll(); });
}

void Start(benchmark::State& state, LineKind kind, int) {
    Station station(kind);
    FirstPollsDone(station);
    Measure(
        state, station, [&] { station.PrepareStart(5.0); },
        [&] { station.Call([&] { station.Slots().Start(station.Driver(), 1, 0, 1, 1); }); });
}

void GetDataTransaction(benchmark::State& state, LineKind kind, int) {
    Station station(kind);
    FirstPollsDone(station);
    station.PrepareStart(900.0);  // a delivery that runs for thousands of polls
    station.Call([&] { station.Slots().Start(station.Driver(), 1, 0, 1, 1); });
    for (int i = 0; i < 3; ++i) station.Poll();
    Measure(
        state, station, [&] { station.Poll(); },
        [&] {
            station.Call([&] {
                double amount = 0;
                benchmark::DoNotOptimize(station.Slots().CurrentDeliveryData(station.Driver(), 1, 0, &amount));
            });
        });
}

void GetCounter(benchmark::State& state, LineKind kind, int) {
    Station station(kind);
    FirstPollsDone(station);
    Measure(
        state, station, [] {},
        [&] {
            station.Call([&] {
                double volume = 0;
                double amount = 0;
                station.Slots().GetCounter(station.Driver(), 1, 0, 1, &volume, &amount, 0, 0);
            });
        });
}

// A point nobody answers on: a plain idle poll (0), the follow-up poll (1), or the first poll after the line was
// opened, with its MASTER RESET (2). Only the time counts here: nothing answers, so there is no bound.
void SilentPoint(benchmark::State& state, LineKind kind, int which) {
    Station station(kind, 1, true);
    WaitCounter clock;
    FirstPollsDone(station);
    double exchanges = 0;
    double measuredNs = 0;
    for (auto _ : state) {
        if (which == 2) station.Slots().OpenLine(station.Driver(), 1);
        else station.Point(1).NoReplyCount = which == 1 ? kFollowUpEvery - 1 : 1;
        station.TakeExchanges();
        const int64_t start = NowNs();
        station.Poll();
        const int64_t took = NowNs() - start;
        state.SetIterationTime(static_cast<double>(took) / 1e9);
        measuredNs += static_cast<double>(took);
        exchanges += static_cast<double>(station.TakeExchanges().size());
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["exchanges"] = exchanges / runs;
    state.counters["measured_ms"] = measuredNs / runs / 1e6;
    state.SetLabel(LineName(station.Kind()));
}

using Operation = void (*)(benchmark::State&, LineKind, int);

void OnEveryLine(const std::string& name, Operation operation, int variant, int iterations) {
    for (LineKind kind : {LineKind::kInProcess, LineKind::kPaced2400, LineKind::kPaced9600}) {
        benchmark::RegisterBenchmark((name + "/" + LineName(kind)).c_str(),
                                     [=](benchmark::State& state) { operation(state, kind, variant); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
    }
}

const bool registered = [] {
    OnEveryLine("IdlePoll/plain", &IdlePoll, 0, 20);
    OnEveryLine("IdlePoll/follow_up", &IdlePoll, 1, 10);
    OnEveryLine("IdlePoll/cycle_of_5", &IdlePollCycle, 0, 6);
    OnEveryLine("PollWithStatusReport", &PollWithStatusReport, 0, 10);
    OnEveryLine("Start", &Start, 0, 5);
    OnEveryLine("GetDataTransaction", &GetDataTransaction, 0, 10);
    OnEveryLine("GetCounter", &GetCounter, 0, 5);
    OnEveryLine("SilentPoint/idle_poll", &SilentPoint, 0, 5);
    OnEveryLine("SilentPoint/follow_up", &SilentPoint, 1, 3);
    OnEveryLine("SilentPoint/first_poll", &SilentPoint, 2, 2);
    return true;
}();

}  // namespace
}  // namespace sbbench
