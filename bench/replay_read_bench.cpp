// A station's rotated trace log read as one recording the way sbhost replay reads it (the host's calls rebuilt
// from the driver's lines), without the driver: how fast, and how much memory the reading takes beyond the
// program's own, for the log alone (7 MiB) and for the whole set of twelve copies and the log (91 MiB).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "decode/TraceReader.h"
#include "replay/RecordedCalls.h"
#include "replay/RecordingSet.h"

namespace sbbench {
namespace {

constexpr uint64_t kCopyBytes = 7ULL << 20;  // the driver rotates its log once it is past 7 MiB

// The sets made, removed when the program ends.
struct MadeSets {
    std::map<int, std::string> paths;
    ~MadeSets() {
        for (const auto& entry : paths) {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(entry.second).parent_path(), ignored);
        }
    }
};

// A directory with HOST.pro and `copies` rotated copies, each kCopyBytes of a recorded log's lines over and over
// (one run of the host: its empty first line only at the start of the oldest file); made once per count.
std::string RotatedSet(int copies) {
    static MadeSets made;
    if (made.paths.count(copies) != 0) return made.paths[copies];
    std::ifstream sample(SB_REPLAY_SAMPLE_LOG, std::ios::binary);
    std::stringstream text;
    text << sample.rdbuf();
    const std::string lines = text.str().substr(text.str().find('\n') + 1);
    std::string dir = (std::filesystem::temp_directory_path() / "sbbench-replay-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return {};
    for (int copy = copies - 1; copy >= -1; --copy) {
        const std::string name = dir + "/HOST.pro" + (copy < 0 ? "" : "." + std::to_string(copy));
        std::ofstream file(name, std::ios::binary);
        if (copy == copies - 1) file << "\r\n";
        for (uint64_t written = 0; written < kCopyBytes; written += lines.size()) file << lines;
    }
    made.paths[copies] = dir + "/HOST.pro";
    return made.paths[copies];
}

struct Reading {
    uint64_t bytes = 0;
    std::size_t calls = 0;
};

Reading ReadSet(const std::string& path) {
    std::vector<sbreplay::RecordingPart> parts;
    std::string error;
    if (!sbreplay::FindRecordingSet(path, &parts, &error)) return {};
    sbreplay::ChainedFiles files(parts);
    std::istream in(&files);
    sbdecode::TraceReader reader(in);
    Reading reading;
    sbreplay::CallSplitter splitter({[](std::size_t) {}, [&](sbreplay::RecordedCall&&) { ++reading.calls; }});
    for (sbdecode::TraceRecord record; reader.Next(&record);) splitter.Take(record);
    splitter.Finish();
    reading.bytes = files.bytesRead();
    return reading;
}

// The peak resident memory of a child that does `work` and ends, in KiB.
long ChildPeakKiB(const std::function<void()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
    return usage.ru_maxrss;
}

// counters: the set's MiB, the calls rebuilt, and the reading's peak memory over an idle child's.
void RotatedSetRead(benchmark::State& state) {
    const std::string path = RotatedSet(static_cast<int>(state.range(0)));
    Reading reading;
    for (auto _ : state) reading = ReadSet(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reading.bytes));
    state.counters["MiB"] = static_cast<double>(reading.bytes) / (1 << 20);
    state.counters["calls"] = static_cast<double>(reading.calls);
    const long idle = ChildPeakKiB([] {});
    const long busy = ChildPeakKiB([&] { ReadSet(path); });
    state.counters["reading_KiB"] = static_cast<double>(busy - idle);
}
BENCHMARK(RotatedSetRead)->ArgName("copies")->Arg(0)->Arg(12)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sbbench
