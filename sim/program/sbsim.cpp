// sbsim: a simulated forecourt — filling points on serial lines, each point on a pseudo-terminal of its own or
// a serial device, answering at the line's pace, with faults switched from the command line or standard input.
#include <fcntl.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "line/posix/SerialDevice.h"
#include "replay/RecordedLine.h"
#include "sim/program/ForecourtCommands.h"
#include "sim/program/ForecourtFile.h"
#include "sim/program/ForecourtServer.h"
#include "sim/program/StopSignals.h"

namespace {

void Usage(std::ostream& out) {
    out << "usage: sbsim [--pty | --device PATH | --points N [--lines M] | --config FILE]\n"
           "             [--baud 2400|9600] [--turnaround MS] [--flow N] [--nozzles N] [--link-unit]\n"
           "             [--fault TARGET:KIND=COUNT|on|off]... [--trace] [--capture FILE]\n"
           "       sbsim --replay LOG [--point N] [--strict] [--device PATH] [--baud 2400|9600] [--turnaround MS]\n"
           "             [--fault TARGET:noise=COUNT|on|off]... [--trace] [--capture FILE]\n"
           "  --pty        one point on a new pseudo-terminal (the default)\n"
           "  --device     one point on a serial device, raw 8N1\n"
           "  --points N   points 1..N, each on a pseudo-terminal of its own, spread over M lines (A, B...)\n"
           "  --config     lines and points from a file (docs/sbhost.md; sim/MODEL.md)\n"
           "  --baud       the lines' speed: every answer byte takes 10 bit times (default 2400)\n"
           "  --turnaround milliseconds from the end of a transmission to its answer (default 5)\n"
           "  --flow N     hundredths of a litre a running delivery grows at each poll (default 10)\n"
           "  --nozzles N  nozzles of every point, 1..6 (default 4); nozzle n carries grade n\n"
           "  --link-unit  a T10 counting unit answers the unframed counter request\n"
           "  --fault      TARGET a point or a line; KIND silence, nak, wait, refuse, corrupt or noise\n"
           "  --trace      every exchange decoded on standard error\n"
           "  --capture    every exchange in hex to FILE, for sbhost decode and report\n"
           "  --replay     the recorded dispensers of a trace log (its rotated copies before it) or a hex capture\n"
           "               answer: each transmission as the recording answered it where it has it; where not, the\n"
           "               nearest alignment, told on standard output (\"point N differs: ...\")\n"
           "  --point N    only point N of the recording (default: every point it holds)\n"
           "  --strict     the first difference ends sbsim with exit code 4\n"
           "Standard output: \"point N line L PATH\" for every point, then \"ready\", then what the points do.\n"
           "Commands on standard input, one a line:\n"
        << sbsim::kForecourtCommandHelp << "\n"
        << "Ends on quit, SIGINT, SIGTERM, SIGHUP, and at the end of standard input when it is a pipe or a terminal\n"
           "(not /dev/null or a file: after their commands the points serve on).\n";
}

bool Whole(const char* text, long low, long high, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && *value >= low && *value <= high;
}

struct Options {
    std::string device;
    std::string config;
    long points = 1;
    long lines = 1;
    sbsim::LineSetup line;
    sbsim::PointConfig point;
    std::vector<sbsim::FaultOrder> faults;
    bool trace = false;
    std::string capture;
    bool help = false;
    std::string replay;
    long onlyPoint = 0;
    bool strict = false;
    bool modelGiven = false;  // an option of the simulated dispensers, which a replay has none of
};

// "TARGET:KIND=COUNT".
bool FaultOption(const std::string& text, std::vector<sbsim::FaultOrder>* faults, std::string* error) {
    const std::size_t colon = text.find(':');
    const std::size_t equals = text.find('=', colon);
    if (colon == std::string::npos || colon == 0 || equals == std::string::npos) {
        *error = "--fault wants TARGET:KIND=COUNT|on|off";
        return false;
    }
    sbsim::FaultOrder order;
    const std::vector<std::string> words{text.substr(colon + 1, equals - colon - 1), text.substr(equals + 1)};
    if (!sbsim::ReadFaultOrder(text.substr(0, colon), words, 0, &order, error)) return false;
    faults->push_back(order);
    return true;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        long number = 0;
        bool valued = true;
        if (option == "--help" || option == "-h") {
            options->help = true;
            return true;
        }
        if (option == "--pty") {
            valued = false;
        } else if (option == "--device" && i + 1 < argc) {
            options->device = value;
        } else if (option == "--config" && i + 1 < argc) {
            options->config = value;
        } else if (option == "--capture" && i + 1 < argc) {
            options->capture = value;
        } else if (option == "--points" && Whole(value, 1, sbsim::kMaxAddress, &options->points)) {
        } else if (option == "--lines" && Whole(value, 1, sbsim::kMaxAddress, &options->lines)) {
        } else if (option == "--baud" && Whole(value, 1, 1000000, &number) &&
                   sbline::IsSupportedBaud(static_cast<int>(number))) {
            options->line.baud = static_cast<int>(number);
        } else if (option == "--turnaround" && Whole(value, 0, sbsim::kMaxTurnaroundMs, &number)) {
            options->line.turnaroundMs = static_cast<int>(number);
        } else if (option == "--flow" && Whole(value, 1, sbsim::kMaxDeliveryVolume, &number)) {
            options->point.flowPerPoll = number;
            options->modelGiven = true;
        } else if (option == "--nozzles" && Whole(value, 1, sbsim::kMaxGrade, &number)) {
            options->point.nozzles = static_cast<int>(number);
            options->modelGiven = true;
        } else if (option == "--fault" && i + 1 < argc) {
            if (!FaultOption(value, &options->faults, error)) return false;
            options->modelGiven = options->modelGiven || options->faults.back().kind != "noise";
        } else if (option == "--replay" && i + 1 < argc) {
            options->replay = value;
        } else if (option == "--point" && Whole(value, 1, sbsim::kMaxAddress, &options->onlyPoint)) {
        } else if (option == "--link-unit" || option == "--trace" || option == "--strict") {
            valued = false;
            if (option == "--link-unit") options->point.linkUnit = true;
            options->modelGiven = options->modelGiven || option == "--link-unit";
            if (option == "--trace") options->trace = true;
            if (option == "--strict") options->strict = true;
        } else {
            *error = "\"" + option + "\" is no option here, or its value is missing or out of range";
            return false;
        }
        if (valued) ++i;
    }
    const int sources = !options->device.empty() + !options->config.empty() + (options->points > 1);
    if (sources > 1 || options->lines > options->points) {
        *error = "give one of --device, --points and --config; --lines at most --points";
        return false;
    }
    if (options->replay.empty() && (options->onlyPoint != 0 || options->strict)) {
        *error = "--point and --strict go with --replay";
        return false;
    }
    if (!options->replay.empty() && (!options->config.empty() || options->points > 1 || options->modelGiven)) {
        *error =
            "--replay plays the recorded dispensers: no --points, --config, --flow, --nozzles, --link-unit, "
            "and no fault but noise";
        return false;
    }
    return true;
}

// The forecourt of a replay: the points the recording holds (or the one asked for) on one line.
bool BuildReplayForecourt(const Options& options, sbsim::Forecourt* forecourt,
                          std::vector<sbreplay::RecordingPart>* parts, sbreplay::RecordingOutline* outline,
                          std::string* error) {
    if (!sbreplay::FindRecordingSet(options.replay, parts, error)) return false;
    sbreplay::Progress progress(std::cerr, "sbsim: reading " + options.replay);
    if (!sbreplay::ReadOutline(*parts, &progress, outline, error)) return false;
    std::set<unsigned>& points = outline->points;
    if (options.onlyPoint != 0) points = {static_cast<unsigned>(options.onlyPoint)};
    if (points.empty()) {
        *error = options.replay + " holds no exchange of any point";
        return false;
    }
    if (!options.device.empty() && points.size() > 1) {
        *error = "--device serves one point, and " + options.replay + " holds several: add --point N";
        return false;
    }
    sbsim::LineSetup line = options.line;
    line.name = "A";
    forecourt->lines = {line};
    for (const unsigned address : points) {
        sbsim::PointSetup setup;
        setup.address = address;
        setup.line = line.name;
        forecourt->points.push_back(setup);
    }
    forecourt->points.front().device = options.device;
    forecourt->faults = options.faults;
    return sbsim::CheckForecourt(*forecourt, error);
}

bool BuildForecourt(const Options& options, sbsim::Forecourt* forecourt, std::string* error) {
    if (options.config.empty()) {
        *forecourt = sbsim::EvenForecourt(static_cast<unsigned>(options.points), static_cast<unsigned>(options.lines),
                                          options.line, options.point);
        forecourt->points.front().device = options.device;
    } else {
        std::ifstream file(options.config);
        if (!file) {
            *error = "cannot open " + options.config;
            return false;
        }
        if (!sbsim::ReadForecourtFile(file, options.config, options.line, options.point, forecourt, error))
            return false;
    }
    forecourt->faults.insert(forecourt->faults.end(), options.faults.begin(), options.faults.end());
    return sbsim::CheckForecourt(*forecourt, error);
}

}  // namespace

int main(int argc, char** argv) {
    // A closed standard input would hand its number to the first line opened, and that line's bytes to the
    // commands: it reads as /dev/null instead.
    if (fcntl(0, F_GETFD) < 0) open("/dev/null", O_RDONLY);
    Options options;
    sbsim::Forecourt forecourt;
    std::string error;
    const bool parsed = ParseOptions(argc, argv, &options, &error);
    if (parsed && options.help) {
        Usage(std::cout);
        return 0;
    }
    std::vector<sbreplay::RecordingPart> recording;
    sbreplay::RecordingOutline outline;
    const bool built =
        parsed && (options.replay.empty() ? BuildForecourt(options, &forecourt, &error)
                                          : BuildReplayForecourt(options, &forecourt, &recording, &outline, &error));
    if (!built) {
        std::cerr << "sbsim: " << error << "\n";
        if (!parsed) Usage(std::cerr);  // a file's error names its line: the usage would bury it
        return 2;
    }
    std::ofstream capture;
    if (!options.capture.empty()) {
        capture.open(options.capture, std::ios::app);
        if (!capture) {
            std::cerr << "sbsim: cannot write " << options.capture << "\n";
            return 1;
        }
    }
    const int stopSignal = sbsim::CatchStopSignals();
    std::vector<std::unique_ptr<sbsim::ServedPoint>> points;
    for (const sbsim::PointSetup& setup : forecourt.points) {
        const sbsim::LineSetup& line = *forecourt.Line(setup.line);
        sbsim::OpenedLine channel =
            setup.device.empty() ? sbsim::OpenPseudoTerminal() : sbsim::OpenSerialDevice(setup.device, line.baud);
        if (channel.fd < 0) {
            std::cerr << "sbsim: point " << setup.address << ": " << channel.error << "\n";
            for (auto& point : points) sbsim::CloseLine(point->channel);
            return 1;
        }
        points.push_back(std::make_unique<sbsim::ServedPoint>(setup, line, channel, std::cout));
        if (!options.replay.empty())
            points.back()->replay = std::make_unique<sbsim::ReplayedDispenser>(
                recording, setup.address, outline.lastLines[setup.address], options.strict, std::cout);
        std::cout << "point " << setup.address << " line " << line.name << " " << channel.name << "\n";
    }
    for (const sbsim::FaultOrder& order : forecourt.faults) {
        for (auto& point : points) {
            if (std::to_string(point->address) == order.target || point->lineName == order.target) point->Apply(order);
        }
    }
    std::cout << "ready" << std::endl;
    sbsim::LineTrace trace(options.trace ? &std::cerr : nullptr, capture.is_open() ? &capture : nullptr);
    const int result = sbsim::ServeForecourt(points, trace, stopSignal);
    for (auto& point : points) sbsim::CloseLine(point->channel);
    return result;
}
