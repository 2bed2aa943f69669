// The speeds the dispensers talk at, on every kind of serial device.
#pragma once

namespace sbline {

constexpr int kBaud2400 = 2400;
constexpr int kBaud9600 = 9600;

inline bool IsSupportedBaud(int baud) { return baud == kBaud2400 || baud == kBaud9600; }

}  // namespace sbline
