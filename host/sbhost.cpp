// sbhost: loads the driver library the way a station controller does and drives filling points, on a
// simulated dispenser or over serial lines; reads back what the driver recorded.
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "host/decode/DecodeCommand.h"
#include "host/lines/LineCommands.h"
#include "host/lines/PortWatch.h"
#include "host/lines/SimulatedDelivery.h"
#include "host/monitor/Monitor.h"
#include "host/program/Arguments.h"
#include "host/program/DriverFailures.h"
#include "host/program/DriverLibrary.h"
#include "host/program/DriverTexts.h"
#include "host/replay/ReplayCommand.h"
#include "host/report/ReportCommand.h"
#include "line/SerialPortService.h"

namespace {

void Usage(std::ostream& out = std::cerr) {
    out << "usage: sbhost [--json] --simulate [--library PATH] [--point N] [--grade G] [--price P]\n"
           "              [--volume LITRES | --amount MONEY]\n"
           "       sbhost [--json] --line N=DEVICE [--line N=DEVICE...] [--point N] [--turnaround MS]\n"
           "              [--library PATH] COMMAND...\n"
           "       "
        << sbhost::kDecodeUsage << "\n       " << sbhost::kReportUsage << "\n       " << sbhost::kReplayUsage
        << "\n--simulate runs one delivery against a simulated dispenser on the point's line.\n"
           "--line serves point N on the serial device (/dev/ttyS0, COM1...) at 2400 baud, or the driver's\n"
           "Baud setting; --turnaround how long its dispenser may take to begin an answer or pause inside one\n"
           "(default 50 ms). The commands run in order on the point (default: the lowest line given), in one\n"
           "driver object (monitor: on every point given):\n"
        << sbhost::kLineCommandHelp
        << "\ndecode annotates every frame of the driver's trace log or of a hex capture; report draws it as an\n"
           "HTML page; replay makes the host's calls of a trace log (and its rotated copies) again through the\n"
           "driver against the recorded dispensers (in process, or on the lines of sbsim --replay) and tells\n"
           "\"identical\" or the first difference. --json writes one JSON object a line. Every command: sbhost.md\n"
           "(docs/ in the source tree, the top folder of the Windows bundle). Exit codes: 0 done (identical),\n"
           "1 failed, 2 bad usage, 3 a point did not answer, 4 the replay differs.\n"
           "The driver's trace log is written beside this program (.pro).\n"
           "--library defaults to "
        << sbhost::DriverLibrary::DefaultPath() << "\n";
}

// Tells the driver, opens the session's point's line (the monitor opens every line itself) and runs the
// commands in order on it; returns the exit code: 1 when the line did not open or RunCommand's, kExitNoAnswer
// when the point did not answer (the commands after it are not run). The monitor covers every point of `lines`.
int RunLineCommands(sbhost::PointSession& session, const sbhost::MonitorLines& lines,
                    const std::vector<sbhost::LineCommand>& commands) {
    session.TellDriver();
    // The monitor opens every other line itself, and shows a line that will not open as its point's state.
    sbhost::MonitorLines monitored = lines;
    if (commands.front().name != "monitor") {
        if (!session.OpenLine()) {
            std::cerr << "sbhost: line " << session.point() << ": " << lines.lineError(session.point()) << "\n";
            return 1;
        }
        monitored.opened = session.point();
    }
    for (const sbhost::LineCommand& command : commands) {
        const int code =
            command.name == "monitor"
                ? sbhost::RunMonitor(
                      monitored,
                      sbhost::MonitorOptions{command.arguments.empty() ? 0 : static_cast<int>(command.arguments[0]),
                                             command.events},
                      session.out())
                : sbhost::RunCommand(session, command);
        if (sbhost::ExchangesWithDispenser(command) && session.Silent()) {
            session.TellSilence();
            return sbhost::kExitNoAnswer;
        }
        if (code != 0) return code;
    }
    return 0;
}

int RunOnLines(const sbhost::DriverLibrary& library, const std::map<uint32_t, std::string>& lines, uint32_t point,
               int turnaroundMs, const std::vector<sbhost::LineCommand>& commands, sbhost::Output& out) {
    sbline::SerialPortService port(lines, turnaroundMs);
    sbhost::PortWatch watch(port.port());
    const auto lineError = [&port](uint32_t line) { return port.LastError(line); };
    int exitCode = 1;
    std::string failure;
    const bool ran = sbhost::RunCatchingDriverFailures(
        [&] {
            SbDriver* driver = library.GetVM30()(0, nullptr, watch.port());
            watch.ReadStatisticsFrom(driver, library.GetLinkStatistics());
            sbhost::PointSession session(driver, point, out, watch);
            return RunLineCommands(session, sbhost::MonitorLines{driver, &lines, &watch, lineError}, commands);
        },
        &exitCode, &failure);
    if (ran) return exitCode;
    std::cerr << sbhost::DriverFailureText(point, failure, port.LastError(point));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    sbhost::Options options;
    options.libraryPath = sbhost::DriverLibrary::DefaultPath();
    std::string error;
    switch (sbhost::ReadOptions(argc, argv, &options, &error)) {
        case sbhost::OptionsRead::kRead: break;
        case sbhost::OptionsRead::kHelp: Usage(std::cout); return 0;
        case sbhost::OptionsRead::kBadUsage:
            if (error.empty()) Usage();
            else std::cerr << "sbhost: " << error << "\n";
            return 2;
    }
    const std::string& libraryPath = options.libraryPath;
    sbhost::DeliveryOrder& order = options.order;
    const bool simulate = options.simulate;
    const std::map<uint32_t, std::string>& lines = options.lines;
    const std::vector<std::string>& words = options.words;
    sbhost::Output out(std::cout, options.json);
    if (!simulate && !words.empty() && words[0] == "replay") {
        const int code = sbhost::RunReplay(std::vector<std::string>(words.begin() + 1, words.end()), libraryPath, lines,
                                           options.turnaroundMs, out);
        if (code == 2) Usage();
        return code;
    }
    // Reading a recording needs neither lines nor the library.
    if (!simulate && lines.empty() && !words.empty() && (words[0] == "decode" || words[0] == "report")) {
        const std::vector<std::string> rest(words.begin() + 1, words.end());
        const int code = words[0] == "decode" ? sbhost::RunDecode(rest, out) : sbhost::RunReport(rest, out);
        if (code == 2) Usage();
        return code;
    }
    std::vector<sbhost::LineCommand> commands;
    if (simulate == !lines.empty() || (simulate && !words.empty()) ||
        (!simulate && !sbhost::ParseLineCommands(words, &commands, &error))) {
        if (!error.empty()) std::cerr << "sbhost: " << error << "\n";
        Usage();
        return 2;
    }
    if (!simulate && !options.pointGiven) order.point = lines.begin()->first;
    if (order.point < 1 || order.point > sbline::kMaxPoint || order.grade < 1 || order.grade > 6) {
        std::cerr << "sbhost: point must be 1..32 and grade 1..6\n";
        return 2;
    }
    if (!simulate && lines.count(order.point) == 0) {
        std::cerr << "sbhost: no --line given for point " << order.point << "\n";
        return 2;
    }
    sbhost::DriverLibrary library(libraryPath);
    if (!library.Loaded()) {
        std::cerr << "sbhost: cannot load " << libraryPath << ": " << library.Error() << "\n";
        return 1;
    }
    out.Emit("loaded " + library.Path(), sbhost::JsonObject().Text("event", "loaded").Text("library", library.Path()));
    if (!simulate) return RunOnLines(library, lines, order.point, options.turnaroundMs, commands, out);
    int exitCode = 1;
    std::string failure;
    if (sbhost::RunCatchingDriverFailures([&] { return sbhost::RunSimulatedDelivery(library, order, out); }, &exitCode,
                                          &failure))
        return exitCode;
    std::cerr << sbhost::DriverFailureText(order.point, failure, "");
    return 1;
}
