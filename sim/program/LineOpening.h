// The serial line sbsim serves: the master side of a new pseudo-terminal pair, or a real serial device.
#ifndef SBSIM_PROGRAM_LINEOPENING_H
#define SBSIM_PROGRAM_LINEOPENING_H

#include <string>

namespace sbsim {

struct OpenedLine {
    int fd = -1;           // the side sbsim reads and writes; -1 when opening failed
    int slaveKeeper = -1;  // pty: the slave kept open, so the master sees no hang-up between host runs
    std::string name;      // pty: the slave's path for the host; device: its path
    std::string error;     // why opening failed
};

// A pseudo-terminal pair with the slave set to raw 8N1, so that nothing the host writes is echoed back.
OpenedLine OpenPseudoTerminal();
// A serial device in raw 8N1 at baud (2400 or 9600).
OpenedLine OpenSerialDevice(const std::string& path, int baud);

void CloseLine(OpenedLine& line);

}  // namespace sbsim

#endif
