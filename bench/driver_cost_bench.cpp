// What the driver itself costs: its CPU per exchange with the trace log off and on (the simulated dispenser's
// share taken out), the heap allocations of an idle poll, and what one log line costs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/support/HeapCount.h"
#include "bench/support/PacedLine.h"
#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "line/PortServiceForwarder.h"
#include "logging/Log.h"
#include "platform/Clock.h"
#include "sim/SimPortService.h"

namespace sbbench {
namespace {

// Local time from the system; every pause and wait returns at once, so the loop measures CPU only.
class NoWaiting final : public sb::platform::TimeSource {
public:
    NoWaiting() : previous_(sb::platform::InstallTimeSource(this)) {}
    ~NoWaiting() override { sb::platform::InstallTimeSource(previous_); }
    sb::platform::TimeOfDay LocalTime() override { return sb::platform::SystemTime().LocalTime(); }
    void Sleep(uint32_t) override {}

private:
    sb::platform::TimeSource* previous_;
};

int64_t ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A directory of its own for the log and the settings, removed with it.
class WorkDir {
public:
    WorkDir() {
        path_ = (std::filesystem::temp_directory_path() / "sbbench-XXXXXX").string();
        if (mkdtemp(path_.data()) == nullptr) throw std::runtime_error("no temporary directory");
        std::ofstream(File("cnf.INI")) << "[SB]\r\nBaud=9600\r\n";
    }
    ~WorkDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The simulated port service behind one that times what is done inside it and counts its heap allocations,
// leaving out the driver's own receive handler, which the port service calls during an exchange. Every
// send-and-receive handed on is one exchange of the transcript.
class TimedPort : public sbline::PortServiceForwarder<TimedPort> {
public:
    explicit TimedPort(SbPortService* next) : PortServiceForwarder(next) {}

    uint64_t exchanges = 0;
    int64_t innerNs = 0;
    uint64_t innerAllocations = 0;

    // Runs work as the simulator's: its time and allocations are taken out with the port's.
    template <typename Work>
    void AsSimulator(Work work) {
        const int64_t start = NowNs();
        const uint64_t allocations = HeapAllocations();
        work();
        innerAllocations += HeapAllocations() - allocations;
        innerNs += NowNs() - start;
    }

    // The slots the driver calls during every exchange.
    uint32_t LineStatus(uint32_t point) {
        uint32_t status = 0;
        AsSimulator([&] { status = PortServiceForwarder::LineStatus(point); });
        return status;
    }
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero) {
        ++exchanges;
        int32_t result = 0;
        AsSimulator(
            [&] { result = PortServiceForwarder::SendReceive(point, send, sendCount, receive, replySize, zero); });
        return result;
    }
    void SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
        driverHandler_ = handler;
        AsSimulator([&] { PortServiceForwarder::SetReceiveHandler(point, SbReceiveHandler{&Received, this}); });
    }

private:
    // The driver's handler, run inside the port's send-and-receive: its time and allocations are the driver's.
    static uint32_t SB_CALL Received(void* context, uint32_t point, const uint8_t* bytes, uint32_t unused,
                                     uint8_t* count, uint8_t* replySize) {
        TimedPort& self = *static_cast<TimedPort*>(context);
        const int64_t start = NowNs();
        const uint64_t allocations = HeapAllocations();
        const uint32_t ok = self.driverHandler_.code(self.driverHandler_.self, point, bytes, unused, count, replySize);
        self.innerAllocations -= HeapAllocations() - allocations;
        self.innerNs -= NowNs() - start;
        return ok;
    }

    SbReceiveHandler driverHandler_{nullptr, nullptr};
};

// Idle polls of one point, five-poll cycles (four plain polls and the follow-up) one after the other; the
// log on disk when state.range(0) is 1.
void DriverCostPerExchange(benchmark::State& state) {
    NoWaiting clock;
    WorkDir dir;
    sbsim::SimPortService sim;
    sim.Attach(1);
    TimedPort timed(sim.port());
    SbDriver* driver = sb::NewDriver(timed.port(), dir.File("cnf.INI"));
    const SbDriverVtbl& slots = *driver->vtbl;
    slots.OpenLine(driver, 1);
    sb::Logger& log = sb::ProcessLog();
    const std::string previousLog = log.FileName();
    log.SetFileName(state.range(0) != 0 ? dir.File("host.pro") : "");
    for (int i = 0; i < 10; ++i) slots.PollStatus(driver, 1, 0);  // past the first poll's MASTER RESET

    timed.exchanges = 0;
    timed.innerNs = 0;
    timed.innerAllocations = 0;
    uint64_t polls = 0;
    const uint64_t allocationsBefore = HeapAllocations();
    const int64_t cpuBefore = ThreadCpuNs();
    for (auto _ : state) {
        benchmark::DoNotOptimize(slots.PollStatus(driver, 1, 0));
        // The simulated port keeps a record of every exchange; keep it short.
        if (++polls % 1000 == 0) timed.AsSimulator([&] { sim.ClearRecords(); });
    }
    const double cpuNs = static_cast<double>(ThreadCpuNs() - cpuBefore);
    const double allocations = static_cast<double>(HeapAllocations() - allocationsBefore);

    const double exchanges = static_cast<double>(timed.exchanges);
    const double pollCount = static_cast<double>(polls);
    state.counters["exchanges/poll"] = exchanges / pollCount;
    state.counters["driver_us/exchange"] = (cpuNs - static_cast<double>(timed.innerNs)) / exchanges / 1e3;
    state.counters["sim_us/exchange"] = static_cast<double>(timed.innerNs) / exchanges / 1e3;
    state.counters["driver_allocs/poll"] = (allocations - static_cast<double>(timed.innerAllocations)) / pollCount;
    state.counters["sim_allocs/poll"] = static_cast<double>(timed.innerAllocations) / pollCount;
    state.SetLabel(state.range(0) != 0 ? "log on" : "log off");

    log.SetFileName(previousLog);
    delete &sb::TVM30::From(driver);
}
BENCHMARK(DriverCostPerExchange)->ArgName("log")->Arg(0)->Arg(1)->MinTime(2.0);

// One trace line to the log file, as the link writes it (a dump of a poll's three bytes) and as an operation
// does (a text); no heap allocation is allowed on the way.
void LogLine(benchmark::State& state) {
    WorkDir dir;
    sb::Logger& log = sb::ProcessLog();
    const std::string previousLog = log.FileName();
    log.SetFileName(dir.File("host.pro"));
    const uint8_t poll[] = {0x04, 0x30, 0x05};
    const bool dump = state.range(0) != 0;
    const uint64_t allocationsBefore = HeapAllocations();
    for (auto _ : state) {
        if (dump) sb::LogDump(poll, sizeof poll, {"Send(", sb::DecimalText(1), "): "});
        else sb::WriteLog(sb::kLevelTrace, "GET COUNTER(1): wrong number");
    }
    state.counters["allocs/line"] =
        static_cast<double>(HeapAllocations() - allocationsBefore) / static_cast<double>(state.iterations());
    state.SetLabel(dump ? "dump" : "text");
    log.SetFileName(previousLog);
}
BENCHMARK(LogLine)->ArgName("dump")->Arg(0)->Arg(1);

// What a log line's four system calls cost on this machine by themselves (the size looked up, an open for
// appending, a write of a short line, a close): the floor under LogLine that the log's one-file-access-a-line
// contract sets.
void LogLineSystemCalls(benchmark::State& state) {
    WorkDir dir;
    const std::string file = dir.File("host.pro");
    static const char kLine[] = "09:05:03.007 :  Send(1):  04 30 05\r\n";
    for (auto _ : state) {
        struct stat info {};
        benchmark::DoNotOptimize(stat(file.c_str(), &info));
        const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        benchmark::DoNotOptimize(write(fd, kLine, sizeof kLine - 1));
        close(fd);
    }
}
BENCHMARK(LogLineSystemCalls);

// What the pause before an exchange cannot take back: how late a thread sleeping 20 ms to a deadline wakes, and
// what the trace line written right after waking costs (cold, against LogLine's warm loop).
void WakeUpAfterPause(benchmark::State& state) {
    WorkDir dir;
    sb::Logger& log = sb::ProcessLog();
    const std::string previousLog = log.FileName();
    log.SetFileName(dir.File("host.pro"));
    const uint8_t poll[] = {0x04, 0x30, 0x05};
    double lateNs = 0;
    double lineNs = 0;
    for (auto _ : state) {
        const int64_t deadline = NowNs() + 20000000;
        SleepUntilNs(deadline);
        const int64_t woke = NowNs();
        sb::LogDump(poll, sizeof poll, {"Send(", sb::DecimalText(1), "): "});
        lineNs += static_cast<double>(NowNs() - woke);
        lateNs += static_cast<double>(woke - deadline);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["woke_late_us"] = lateNs / runs / 1e3;
    state.counters["first_line_us"] = lineNs / runs / 1e3;
    log.SetFileName(previousLog);
}
BENCHMARK(WakeUpAfterPause)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sbbench
