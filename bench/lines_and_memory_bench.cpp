// Many lines at once: 32 points polled from 32 host threads against 32 times one point polled alone, and the
// resident memory of the reference host (sbhost, with the driver library loaded as a host loads it) with 32
// points open on sbsim's paced lines.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/PacedLine.h"
#include "bench/support/Station.h"

extern char** environ;

namespace sbbench {
namespace {

constexpr int kLines = 32;
constexpr int kPollsPerThread = 10;  // two five-poll cycles

// Wall time of every thread polling its own point kPollsPerThread times; points 1..threads.
int64_t PollAll(Station& station, int threads) {
    const int64_t start = NowNs();
    std::vector<std::thread> pollers;
    for (int t = 0; t < threads; ++t) {
        pollers.emplace_back([&station, t] {
            for (int i = 0; i < kPollsPerThread; ++i) station.Poll(static_cast<uint8_t>(t + 1));
        });
    }
    for (std::thread& poller : pollers) poller.join();
    return NowNs() - start;
}

// Per iteration, one point polled alone and then all 32 from 32 threads. ratio: the 32 threads' polls a second
// over 32 times the lone point's; 1 when the lines do not slow each other at all.
void ThirtyTwoLines(benchmark::State& state, LineKind kind) {
    Station station(kind, kLines);
    PollAll(station, kLines);  // every point past its first poll's MASTER RESET
    double alone = 0;
    double together = 0;
    for (auto _ : state) {
        const int64_t one = PollAll(station, 1);
        const int64_t all = PollAll(station, kLines);
        state.SetIterationTime(static_cast<double>(one + all) / 1e9);
        alone += static_cast<double>(one);
        together += static_cast<double>(all);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["one_line_ms_per_poll"] = alone / runs / kPollsPerThread / 1e6;
    state.counters["32_lines_ms_per_poll"] = together / runs / kPollsPerThread / 1e6;
    state.counters["polls_per_s_32_lines"] = kLines * kPollsPerThread * runs / (together / 1e9);
    state.counters["ratio_to_32x_one"] = alone / together;
    state.SetLabel(LineName(kind));
    if (station.Failures() != 0) state.SkipWithError("a dispenser exchange failed");
}

// A child process whose standard output and error come through a pipe and whose standard input stays open
// (sbsim serves until its input ends); ended by its id.
class Child {
public:
    explicit Child(const std::vector<std::string>& words) {
        std::vector<char*> argv;
        for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        int out[2] = {-1, -1};
        int in[2] = {-1, -1};
        if (pipe(out) != 0 || pipe(in) != 0) throw std::runtime_error("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, out[1], 2);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = fdopen(out[0], "r");
        if (spawned != 0) throw std::runtime_error("cannot start " + words[0]);
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        close(input_);
        std::fclose(output_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line of its output; empty at its end.
    std::string Line() {
        char text[512];
        return std::fgets(text, sizeof text, output_) != nullptr ? std::string(text) : std::string();
    }
    // Waits for its end: its largest resident set in KiB (VmHWM), looked at every 10 ms while it runs. (The
    // resource usage of wait4 would not do: a child started from this process inherits its peak at exec.) Its
    // output is read at the end; sbhost's fits in the pipe.
    long PeakResidentKiB() {
        long peak = 0;
        const std::string status = "/proc/" + std::to_string(pid_) + "/status";
        // Ends with the child; sbhost's commands are bounded by the driver's limit on a call's exchanges.
        while (waitpid(pid_, nullptr, WNOHANG) == 0) {
            std::ifstream in(status);
            for (std::string line; std::getline(in, line);) {
                if (line.rfind("VmHWM:", 0) == 0) peak = std::max(peak, std::stol(line.substr(6)));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        while (!Line().empty()) {
        }
        return peak;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    std::FILE* output_ = nullptr;
};

// sbhost with `points` lines open on sbsim's points, polling each twice (monitor 2): its peak resident memory.
long HostResidentKiB(int points, const std::string& configDir) {
    Child sim({SB_SBSIM_PROGRAM, "--points", std::to_string(points), "--baud", "9600"});
    std::vector<std::string> host{SB_SBHOST_PROGRAM, "--library", SB_DRIVER_LIBRARY};
    // "point N line L DEVICE" for each point, then "ready"; bounded by sbsim's output.
    for (std::string line = sim.Line(); !line.empty() && line.rfind("ready", 0) != 0; line = sim.Line()) {
        std::istringstream words(line);
        std::string word, point, lineName, device;
        words >> word >> point >> word >> lineName >> device;
        host.push_back("--line");
        host.push_back(point + "=" + device);
    }
    host.push_back("monitor");
    host.push_back("2");
    setenv("SBDRIVER_CONFIG_DIR", configDir.c_str(), 1);
    Child sbhost(host);
    return sbhost.PeakResidentKiB();
}

void HostResidentMemory(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / "sbbench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) throw std::runtime_error("no temporary directory");
    std::ofstream(dir + "/cnf.INI") << "[SB]\r\nBaud=9600\r\n";
    long one = 0;
    long all = 0;
    for (auto _ : state) {
        one = HostResidentKiB(1, dir);
        all = HostResidentKiB(kLines, dir);
    }
    state.counters["host_1_point_MiB"] = static_cast<double>(one) / 1024;
    state.counters["host_32_points_MiB"] = static_cast<double>(all) / 1024;
    state.counters["KiB_per_point"] = static_cast<double>(all - one) / (kLines - 1);
    std::filesystem::remove_all(dir);
}

const bool registered = [] {
    for (LineKind kind : {LineKind::kInProcess, LineKind::kPaced9600}) {
        benchmark::RegisterBenchmark((std::string("ThirtyTwoLines/") + LineName(kind)).c_str(),
                                     [kind](benchmark::State& state) { ThirtyTwoLines(state, kind); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    benchmark::RegisterBenchmark("HostResidentMemory/pty_9600", &HostResidentMemory)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    return true;
}();

}  // namespace
}  // namespace sbbench
