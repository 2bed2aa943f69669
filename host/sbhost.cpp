// sbhost: loads the driver library the way a station controller does and drives a filling point.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "host/DriverLibrary.h"
#include "host/SimulatedDelivery.h"

namespace {

void Usage() {
    std::cerr << "usage: sbhost --simulate [--library PATH] [--point N] [--grade G] [--price P]\n"
                 "              [--volume LITRES | --amount MONEY]\n"
                 "Runs one delivery through the driver library against a simulated dispenser on the point's\n"
                 "line and prints every step. The driver's trace log is written beside this program (.pro).\n";
}

bool Number(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    std::string libraryPath = SB_DEFAULT_LIBRARY;
    sbhost::DeliveryOrder order;
    bool simulate = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        double value = 0;
        if (option == "--simulate") {
            simulate = true;
        } else if (i + 1 < argc && option == "--library") {
            libraryPath = argv[++i];
        } else if (i + 1 < argc && Number(argv[i + 1], &value) &&
                   (option == "--point" || option == "--grade" || option == "--price" || option == "--volume" ||
                    option == "--amount")) {
            ++i;
            if (option == "--point") order.point = static_cast<uint32_t>(value);
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
    if (!simulate) {
        Usage();
        return 2;
    }
    if (order.point < 1 || order.point > 32 || order.grade < 1 || order.grade > 6) {
        std::cerr << "sbhost: point must be 1..32 and grade 1..6\n";
        return 2;
    }
    sbhost::DriverLibrary library(libraryPath);
    if (!library.Loaded()) {
        std::cerr << "sbhost: cannot load " << libraryPath << ": " << library.Error() << "\n";
        return 1;
    }
    std::cout << "loaded " << libraryPath << "\n";
    try {
        return sbhost::RunSimulatedDelivery(library, order, std::cout);
    } catch (const sb::ESerialIO& failure) {
        std::cerr << "sbhost: the driver failed: " << failure.Utf8() << "\n";
        return 1;
    } catch (const std::exception& failure) {
        std::cerr << "sbhost: the driver failed: " << failure.what() << "\n";
        return 1;
    }
}
