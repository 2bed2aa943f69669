#include "host/program/DriverFailures.h"

#include <exception>

#include "sbdriver/sbdriver.h"

namespace sbhost {

bool RunCatchingDriverFailures(const std::function<int()>& body, int* exitCode, std::string* failure) {
    try {
        *exitCode = body();
        return true;
    } catch (const sb::ESerialIO& raised) {
        *failure = raised.Utf8();
    } catch (const std::exception& raised) {
        *failure = raised.what();
    }
    return false;
}

}  // namespace sbhost
