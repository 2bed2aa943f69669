#include "sim/program/LineOpening.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "line/posix/SerialDevice.h"

namespace sbsim {
namespace {

OpenedLine Failed(OpenedLine& line, const std::string& error) {
    CloseLine(line);
    line.error = error;
    return line;
}

}  // namespace

OpenedLine OpenPseudoTerminal() {
    OpenedLine line;
    line.fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.fd < 0) return Failed(line, sbline::SystemError("cannot open a pseudo-terminal"));
    if (grantpt(line.fd) != 0 || unlockpt(line.fd) != 0)
        return Failed(line, sbline::SystemError("cannot unlock the pseudo-terminal"));
    const char* slave = ptsname(line.fd);
    if (slave == nullptr) return Failed(line, sbline::SystemError("the pseudo-terminal has no slave name"));
    line.name = slave;
    line.slaveKeeper = open(slave, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.slaveKeeper < 0) return Failed(line, sbline::SystemError("cannot open " + line.name));
    std::string error;
    if (!sbline::SetRawLine(line.slaveKeeper, sbline::kBaud2400, &error)) return Failed(line, error);
    return line;
}

OpenedLine OpenSerialDevice(const std::string& path, int baud) {
    OpenedLine line;
    line.name = path;
    line.fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.fd < 0) return Failed(line, sbline::SystemError("cannot open " + path));
    std::string error;
    if (!sbline::SetRawLine(line.fd, baud, &error)) return Failed(line, path + ": " + error);
    return line;
}

void CloseLine(OpenedLine& line) {
    if (line.fd >= 0) close(line.fd);
    if (line.slaveKeeper >= 0) close(line.slaveKeeper);
    line.fd = -1;
    line.slaveKeeper = -1;
}

}  // namespace sbsim
