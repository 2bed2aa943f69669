// Raw serial devices under termios, shared by the host's line device and the dispenser simulator's program:
// line settings and writing with a bounded wait.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "line/LineSpeeds.h"

namespace sbline {

// Sets a serial device or a pseudo-terminal to raw 8N1 at baud, receiver on, no modem control, no flow
// control, reads that never block inside the device's driver (VMIN 0, VTIME 0). False and the reason in
// *error when the device refuses or the speed is not supported.
bool SetRawLine(int fd, int baud, std::string* error);

// Writes all count bytes to a non-blocking fd, waiting for room at most timeoutMs in all. False and the reason
// in *error when the device failed or took nothing for that long.
bool WriteAll(int fd, const uint8_t* bytes, std::size_t count, int timeoutMs, std::string* error);

// "what: strerror(errno)".
std::string SystemError(const std::string& what);

}  // namespace sbline
