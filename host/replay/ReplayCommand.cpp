#include "host/replay/ReplayCommand.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

#include "host/program/Arguments.h"
#include "host/replay/CallReplay.h"
#include "line/SerialPortService.h"
#include "logging/Log.h"
#include "platform/Paths.h"
#include "replay/RecordedLine.h"

namespace sbhost {
namespace {

struct ReplayWords {
    std::string path;
    uint32_t point = 0;                               // 0: every point
    std::size_t run = 1;                              // the run of the host replayed, from 1
    int turnaroundMs = sbline::kDefaultTurnaroundMs;  // over serial lines: a recorded silence costs it each time
};

bool ParseReplay(const std::vector<std::string>& words, ReplayWords* parsed, std::string* error) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        double run = 0;
        if (words[i] == "--turnaround") {
            if (++i >= words.size() || !ReadTurnaround(words[i], &parsed->turnaroundMs)) {
                *error = kTurnaroundWants;
                return false;
            }
        } else if (words[i] == "--point") {
            if (++i >= words.size() || !ReadPoint(words[i], &parsed->point)) {
                *error = "--point wants 1..32";
                return false;
            }
        } else if (words[i] == "--run") {
            if (++i >= words.size() || !ReadNumber(words[i], &run) || run < 1 || run != static_cast<std::size_t>(run)) {
                *error = "--run wants 1, 2...";
                return false;
            }
            parsed->run = static_cast<std::size_t>(run);
        } else if (words[i].rfind("--", 0) == 0 || !parsed->path.empty()) {
            *error = "unknown word " + words[i];
            return false;
        } else {
            parsed->path = words[i];
        }
    }
    if (parsed->path.empty()) *error = "which LOG?";
    return !parsed->path.empty();
}

std::string SettingsText(const sb::DriverSettings& settings) {
    std::string t10;
    for (int line = 1; line <= sb::DriverSettings::kT10Lines; ++line) {
        if (settings.T10Line[line]) t10 += (t10.empty() ? "" : ",") + std::to_string(line);
    }
    return "Baud " + std::to_string(settings.Baud) + ", SDec " + std::to_string(settings.SDec) + ", PDec " +
           std::to_string(settings.PDec) + ", link units on lines " + (t10.empty() ? "none" : t10);
}

// The recording's files and outline, checked for a replay; an exit code other than 0 when it cannot be one.
int OpenRecording(const ReplayWords& parsed, const std::map<uint32_t, std::string>& lines,
                  std::vector<sbreplay::RecordingPart>* parts, sbreplay::RecordingOutline* outline) {
    std::string error;
    std::vector<std::string> leftOut;
    if (!sbreplay::FindRecordingSet(parsed.path, parts, &error, &leftOut)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    for (const std::string& copy : leftOut) std::cerr << "sbhost: replay: " << copy << "\n";
    // The driver replayed in this process writes its log beside this program: reading that while it grows would
    // replay the replay.
    const std::string ownLog = sb::LogFileNameFor(sb::platform::ExecutablePath());
    for (const sbreplay::RecordingPart& part : *parts) {
        std::error_code ignored;
        if (std::filesystem::equivalent(part.path, ownLog, ignored)) {
            std::cerr << "sbhost: replay: " << part.path
                      << " is the log the replayed driver writes (beside sbhost): copy it elsewhere first\n";
            return 1;
        }
    }
    sbreplay::Progress scanning(std::cerr, "sbhost: reading " + parsed.path);
    if (!sbreplay::ReadOutline(*parts, &scanning, outline, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    const bool nothing = outline->unreadableParts.size() == parts->size();
    for (const std::string& part : outline->unreadableParts) {
        std::cerr << "sbhost: " << (nothing ? "" : "replay: ") << part
                  << " holds neither the driver's trace log nor a hex capture" << (nothing ? "" : ": passed over")
                  << "\n";
    }
    if (nothing) return 1;
    for (const std::string& conversion : outline->conversions)
        std::cerr << "sbhost: replay: " << parsed.path << ": " << conversion << "\n";
    if (!outline->logged) {
        if (outline->captured) {
            std::cerr << "sbhost: " << parsed.path
                      << " holds no exchange of the driver's trace log (a hex capture tells no call of the host): "
                         "play it with sbsim --replay and drive it with sbhost's commands\n";
        } else {
            std::cerr << "sbhost: " << parsed.path << " holds no exchange of the driver's trace log\n";
        }
        return 1;
    }
    if (parsed.point != 0) outline->points = {parsed.point};
    for (const unsigned point : outline->points) {
        if (!lines.empty() && lines.count(point) == 0) {
            std::cerr << "sbhost: replay: point " << point << " is in " << parsed.path << ": give --line " << point
                      << "=DEVICE, or --point\n";
            return 2;
        }
    }
    const std::size_t runs = std::max<std::size_t>(outline->starts.size(), 1);
    if (parsed.run > runs) {
        std::cerr << "sbhost: replay: " << parsed.path << " holds " << runs << " run(s) of the host, not " << parsed.run
                  << "\n";
        return 2;
    }
    if (parts->size() > 1)
        std::cerr << "sbhost: replay: " << parsed.path << " and " << parts->size() - 1
                  << " rotated copies before it, read as one recording\n";
    if (outline->starts.empty()) {
        std::cerr << "sbhost: replay: " << parsed.path
                  << " holds no start of the host (the empty line the driver writes first): its driver was running "
                     "already, in a state a new one does not share; the first calls may differ for that alone\n";
    }
    return 0;
}

// One run of the host read through, its calls made again until the first difference.
struct RunOutcome {
    std::optional<Difference> difference;
    std::size_t calls = 0;
    std::size_t passedOver = 0;  // calls before the run
    std::size_t unplacedFailures = 0;
    std::size_t firstUnplacedFailure = 0;
};

RunOutcome ReplayRun(const ReplayWords& parsed, const sbreplay::RecordingOutline& outline,
                     sbreplay::ChainedFiles& files, CallReplay& replay) {
    std::istream in(&files);
    sbdecode::TraceReader reader(in);
    RunOutcome outcome;
    // The driver is one object per process: one run of the host is replayed, from its start to the next one.
    std::size_t startsSeen = 0;
    bool started = outline.starts.empty();
    bool over = false;
    sbreplay::CallSplitter splitter(sbreplay::CallSplitter::Visitor{
        [&](std::size_t) {
            ++startsSeen;
            over = started;
            started = startsSeen == parsed.run;
        },
        [&](sbreplay::RecordedCall&& call) {
            if (!started) ++outcome.passedOver;
            if (!started || outcome.difference || (parsed.point != 0 && call.point != parsed.point)) return;
            ++outcome.calls;
            outcome.difference = replay.Replay(call);
        }});
    sbreplay::Progress progress(std::cerr, "sbhost: replay");
    sbdecode::TraceRecord record;
    // One record a turn, up to the recording's end, the run's end or the first difference.
    while (!outcome.difference && !over && reader.Next(&record)) {
        splitter.Take(record);
        progress.Tell(files.bytesRead(), files.totalBytes(),
                      std::to_string(outcome.calls) + " calls made again, identical so far");
    }
    if (!outcome.difference && !over) splitter.Finish();
    outcome.unplacedFailures = splitter.unplacedFailures();
    outcome.firstUnplacedFailure = splitter.firstUnplacedFailure();
    return outcome;
}

// What the replay passed over or could not hold against the driver, on standard error.
void TellCautions(const ReplayWords& parsed, const sbreplay::RecordingOutline& outline,
                  const sbreplay::ChainedFiles& files, const RunOutcome& outcome, const CallTracker& tracker) {
    const std::string head = "sbhost: replay: ";
    if (outline.starts.size() > 1) {
        std::cerr << head << parsed.path << " holds " << outline.starts.size() << " runs of the host; this replay "
                  << "made run " << parsed.run << " (from " << files.Where(outline.starts[parsed.run - 1])
                  << "), --run K another: the driver is one object per process\n";
    }
    if (outcome.passedOver > 0 && parsed.run == 1)
        std::cerr << head << outcome.passedOver << " calls before the host's start ("
                  << files.Where(outline.starts.front()) << ") passed over: the driver's state in them is not known\n";
    if (outcome.unplacedFailures > 0)
        std::cerr << head << outcome.unplacedFailures << " failure line(s) that no call the log tells can have "
                  << "written passed over, the first at " << files.Where(outcome.firstUnplacedFailure)
                  << " (a call that fails writes no result line before it)\n";
    if (tracker.beyondEnd() > 0)
        std::cerr << head << "the recording ends inside a call; the driver went on with " << tracker.beyondEnd()
                  << " exchanges it does not hold\n";
}

}  // namespace

const char kReplayUsage[] =
    "sbhost [--json] [--library PATH] [--line N=DEVICE...] replay LOG [--point N] [--run K] [--turnaround MS]";

int RunReplay(const std::vector<std::string>& words, const std::string& libraryPath,
              const std::map<uint32_t, std::string>& lines, int turnaroundMs, Output& out) {
    ReplayWords parsed;
    parsed.turnaroundMs = turnaroundMs;
    std::string error;
    if (!ParseReplay(words, &parsed, &error)) {
        std::cerr << "sbhost: replay: " << error << "\n";
        return 2;
    }
    std::vector<sbreplay::RecordingPart> parts;
    sbreplay::RecordingOutline outline;
    if (const int refused = OpenRecording(parsed, lines, &parts, &outline)) return refused;
    DriverLibrary library(libraryPath);
    if (!library.Loaded()) {
        std::cerr << "sbhost: cannot load " << libraryPath << ": " << library.Error() << "\n";
        return 1;
    }
    out.Emit("loaded " + library.Path(), JsonObject().Text("event", "loaded").Text("library", library.Path()));
    const std::string settingsPath = sb::platform::SettingsFilePath();
    const sb::DriverSettings settings = sb::LoadSettings(settingsPath);
    std::cerr << "sbhost: replay: the driver's settings from " << settingsPath << ": " << SettingsText(settings)
              << "\n";

    CallTracker tracker(!lines.empty());
    RecordedCallPort recorded(tracker);
    std::unique_ptr<sbline::SerialPortService> serial;
    std::unique_ptr<LineWatch> watch;
    SbPortService* port = recorded.port();
    if (!lines.empty()) {
        serial = std::make_unique<sbline::SerialPortService>(lines, parsed.turnaroundMs);
        watch = std::make_unique<LineWatch>(serial->port(), tracker);
        port = watch->port();
    }
    CallReplay replay(library, port, tracker, settings);
    sbreplay::ChainedFiles files(parts);
    const RunOutcome outcome = ReplayRun(parsed, outline, files, replay);
    if (!files.error().empty()) {
        std::cerr << "sbhost: " << files.error() << "\n";
        return 1;
    }
    TellCautions(parsed, outline, files, outcome, tracker);
    const LineWhere where = [&files](std::size_t line) { return files.Where(line); };
    if (outcome.difference) {
        out.Emit(DifferenceText(*outcome.difference, where), DifferenceJson(*outcome.difference, where));
        return kExitDiffers;
    }
    if (outcome.calls == 0) {
        std::cerr << "sbhost: " << parsed.path << " tells no call of the host"
                  << (parsed.point != 0 ? " on point " + std::to_string(parsed.point) : std::string()) << "\n";
        return 1;
    }
    const std::size_t points = outline.points.size();
    out.Emit("identical: " + std::to_string(outcome.calls) + " calls on " + std::to_string(points) + " point" +
                 (points == 1 ? "" : "s") + ", " + std::to_string(tracker.matched()) + " exchanges and " +
                 std::to_string(replay.figures()) + " results as recorded",
             JsonObject()
                 .Text("event", "replay")
                 .Text("result", "identical")
                 .Number("calls", static_cast<long long>(outcome.calls))
                 .Number("points", static_cast<long long>(points))
                 .Number("exchanges", static_cast<long long>(tracker.matched()))
                 .Number("results", static_cast<long long>(replay.figures()))
                 .Number("run", static_cast<long long>(parsed.run))
                 .Number("runs", static_cast<long long>(std::max<std::size_t>(outline.starts.size(), 1))));
    return 0;
}

}  // namespace sbhost
