// sbsim: one simulated dispenser on a serial line, a real device or a new pseudo-terminal.
#include <cstdlib>
#include <iostream>
#include <string>

#include "line/posix/SerialDevice.h"
#include "sim/Dispenser.h"
#include "sim/program/CustomerCommands.h"
#include "sim/program/LineOpening.h"
#include "sim/program/LineServer.h"

namespace {

void Usage() {
    std::cerr << "usage: sbsim --pty | --device PATH [--baud 2400|9600]   [--flow N] [--link-unit] [--trace]\n"
                 "  --pty        opens a pseudo-terminal pair and prints the path a host opens on the first line\n"
                 "  --device     serves a serial device, raw 8N1 (default 2400 baud)\n"
                 "  --flow N     hundredths of a litre a running delivery grows at each poll (default 10)\n"
                 "  --link-unit  a T10 counting unit answers the unframed counter request\n"
                 "  --trace      every transmission and its answer in hex on standard error\n"
                 "Commands on standard input, one a line: "
              << sbsim::kCustomerCommandHelp
              << "\nState changes and the figures of each delivery are printed on standard output.\n";
}

bool PositiveNumber(const char* text, long max, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && *value > 0 && *value <= max;
}

}  // namespace

int main(int argc, char** argv) {
    bool pty = false;
    std::string device;
    long baud = sbline::kBaud2400;
    sbsim::PointConfig config;
    sbsim::ServeOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        long number = 0;
        if (option == "--pty") {
            pty = true;
        } else if (option == "--device" && i + 1 < argc) {
            device = argv[++i];
        } else if (option == "--baud" && i + 1 < argc && PositiveNumber(argv[i + 1], 1000000, &baud) &&
                   sbline::IsSupportedBaud(static_cast<int>(baud))) {
            ++i;
        } else if (option == "--flow" && i + 1 < argc &&
                   PositiveNumber(argv[i + 1], sbsim::kMaxDeliveryVolume, &number)) {
            config.flowPerPoll = number;
            ++i;
        } else if (option == "--link-unit") {
            config.linkUnit = true;
        } else if (option == "--trace") {
            options.trace = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (pty == !device.empty()) {
        Usage();
        return 2;
    }
    sbsim::OpenedLine line =
        pty ? sbsim::OpenPseudoTerminal() : sbsim::OpenSerialDevice(device, static_cast<int>(baud));
    if (line.fd < 0) {
        std::cerr << "sbsim: " << line.error << "\n";
        return 1;
    }
    std::cout << line.name << std::endl;
    sbsim::Dispenser dispenser(config);
    options.lineFd = line.fd;
    options.unreadAnswersFd = line.slaveKeeper;
    const int result = sbsim::ServeLine(options, dispenser, std::cout);
    sbsim::CloseLine(line);
    return result;
}
