// sbhost: loads the driver library the way a station controller does and drives a filling point, on a
// simulated dispenser or over serial lines.
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "host/DriverFailures.h"
#include "host/DriverLibrary.h"
#include "host/LineCommands.h"
#include "host/SimulatedDelivery.h"
#include "line/SerialPortService.h"

namespace {

void Usage() {
    std::cerr << "usage: sbhost --simulate [--library PATH] [--point N] [--grade G] [--price P]\n"
                 "              [--volume LITRES | --amount MONEY]\n"
                 "       sbhost --line N=DEVICE [--line N=DEVICE...] [--point N] [--library PATH] COMMAND...\n"
                 "--simulate runs one delivery against a simulated dispenser on the point's line.\n"
                 "--line serves point N on the serial device (/dev/ttyS0, COM1...) at 2400 baud, or the driver's\n"
                 "Baud setting; the commands run in order on the point (default: the lowest line given), in one\n"
                 "driver object:\n"
              << sbhost::kLineCommandHelp
              << "\nEvery step is printed. The driver's trace log is written beside this program (.pro).\n"
                 "--library defaults to "
              << sbhost::DriverLibrary::DefaultPath() << "\n";
}

bool Number(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

// "N=DEVICE" with N in 1..32.
bool LineOption(const std::string& text, std::map<uint32_t, std::string>* lines) {
    const std::size_t equals = text.find('=');
    double point = 0;
    if (equals == std::string::npos || equals + 1 == text.size() ||
        !Number(text.substr(0, equals).c_str(), &point) || point < 1 || point > sbline::kMaxPoint)
        return false;
    (*lines)[static_cast<uint32_t>(point)] = text.substr(equals + 1);
    return true;
}

int RunOnLines(const sbhost::DriverLibrary& library, const std::map<uint32_t, std::string>& lines, uint32_t point,
               const std::vector<sbhost::LineCommand>& commands) {
    sbline::SerialPortService port(lines);
    int exitCode = 1;
    std::string failure;
    const bool ran = sbhost::RunCatchingDriverFailures(
        [&] {
            sbhost::PointSession session(library.GetVM30()(0, nullptr, port.port()), point, std::cout);
            if (!session.OpenLine()) {
                std::cerr << "sbhost: line " << point << ": " << port.LastError(point) << "\n";
                return 1;
            }
            return sbhost::RunLineCommands(session, commands);
        },
        &exitCode, &failure);
    if (ran) return exitCode;
    const std::string lineError = port.LastError(point);
    std::cerr << "sbhost: the driver failed: " << failure
              << (lineError.empty() ? "" : " (line " + std::to_string(point) + ": " + lineError + ")") << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string libraryPath = sbhost::DriverLibrary::DefaultPath();
    sbhost::DeliveryOrder order;
    bool simulate = false;
    bool pointGiven = false;
    std::map<uint32_t, std::string> lines;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        double value = 0;
        if (!words.empty() || option.rfind("--", 0) != 0) {
            words.push_back(option);
        } else if (option == "--simulate") {
            simulate = true;
        } else if (i + 1 < argc && option == "--library") {
            libraryPath = argv[++i];
        } else if (i + 1 < argc && option == "--line") {
            if (!LineOption(argv[++i], &lines)) {
                std::cerr << "sbhost: --line wants N=DEVICE with N 1.." << sbline::kMaxPoint << "\n";
                return 2;
            }
        } else if (i + 1 < argc && Number(argv[i + 1], &value) &&
                   (option == "--point" || option == "--grade" || option == "--price" || option == "--volume" ||
                    option == "--amount")) {
            ++i;
            if (option == "--point") {
                order.point = static_cast<uint32_t>(value);
                pointGiven = true;
            }
            if (option == "--grade") order.grade = static_cast<int32_t>(value);
            if (option == "--price") order.price = value;
            if (option == "--volume") order.volume = value;
            if (option == "--amount") {
                order.amount = value;
                order.volume = 0;
            }
        } else {
            Usage();
            return 2;
        }
    }
    std::vector<sbhost::LineCommand> commands;
    std::string error;
    if (simulate == !lines.empty() || (simulate && !words.empty()) ||
        (!simulate && !sbhost::ParseLineCommands(words, &commands, &error))) {
        if (!error.empty()) std::cerr << "sbhost: " << error << "\n";
        Usage();
        return 2;
    }
    if (!simulate && !pointGiven) order.point = lines.begin()->first;
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
    std::cout << "loaded " << libraryPath << "\n";
    if (!simulate) return RunOnLines(library, lines, order.point, commands);
    int exitCode = 1;
    std::string failure;
    if (sbhost::RunCatchingDriverFailures([&] { return sbhost::RunSimulatedDelivery(library, order, std::cout); },
                                          &exitCode, &failure))
        return exitCode;
    std::cerr << "sbhost: the driver failed: " << failure << "\n";
    return 1;
}
