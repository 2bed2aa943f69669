// What the driver costs on a line: its own CPU per exchange (with and without the trace log on disk), and the
// time one status poll takes against the pauses the line protocol demands.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "logging/Log.h"
#include "platform/Clock.h"
#include "sim/SimPortService.h"

namespace {

class NoWaiting final : public sb::platform::TimeSource {
public:
    sb::platform::TimeOfDay LocalTime() override { return sb::platform::SystemTime().LocalTime(); }
    void Sleep(uint32_t) override {}
};

struct Station {
    explicit Station(bool logToFile) {
        port.Attach(1);
        driver = sb::NewDriver(port.port(), "/nonexistent/cnf.INI");
        if (logToFile) sb::ProcessLog().SetFileName(logName);
    }
    ~Station() {
        sb::ProcessLog().SetFileName("");
        std::remove(logName.c_str());
        delete &sb::TVM30::From(driver);
    }
    // Exchanges one status poll costs on an idle dispenser.
    size_t ExchangesPerPoll() {
        port.ClearRecords();
        driver->vtbl->PollStatus(driver, 1, 0);
        return port.exchanges().size();
    }

    std::string logName = "sbbench-trace.pro";
    sbsim::SimPortService port;
    SbDriver* driver;
};

void DriverCpuPerExchange(benchmark::State& state) {
    NoWaiting clock;
    sb::platform::TimeSource* previous = sb::platform::InstallTimeSource(&clock);
    Station station(state.range(0) != 0);
    const size_t exchanges = station.ExchangesPerPoll();
    size_t polls = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(station.driver->vtbl->PollStatus(station.driver, 1, 0));
        // The simulated port keeps a record of every exchange; keep it short.
        if (++polls % 1024 == 0) station.port.ClearRecords();
    }
    state.counters["exchanges/poll"] = static_cast<double>(exchanges);
    state.counters["cpu/exchange"] = benchmark::Counter(static_cast<double>(state.iterations() * exchanges),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    sb::platform::InstallTimeSource(previous);
}
BENCHMARK(DriverCpuPerExchange)->ArgName("log_file")->Arg(0)->Arg(1);

void StatusPollAgainstLineTime(benchmark::State& state) {
    Station station(false);
    const size_t exchanges = station.ExchangesPerPoll();
    for (auto _ : state) benchmark::DoNotOptimize(station.driver->vtbl->PollStatus(station.driver, 1, 0));
    // The protocol pauses 20 ms before every exchange; the simulated dispenser answers at once, so the pauses are
    // the whole lower bound here.
    const double boundSeconds = 0.020 * static_cast<double>(exchanges);
    state.counters["bound_ms"] = boundSeconds * 1000;
    state.counters["bound/measured"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * boundSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(StatusPollAgainstLineTime)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
