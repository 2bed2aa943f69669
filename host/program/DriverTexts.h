// The driver's failure texts for people: each told in the driver's own words (Russian, or the English of
// "Can't Start") on a line of its own, and sbhost's English gloss of it on another, never one sentence mixing
// the two.
#pragma once

#include <cstdint>
#include <string>

namespace sbhost {

// What the failure means, in English; empty for a text the driver does not raise.
std::string DriverGloss(const std::string& failure);

// "sbhost: point 3: the driver failed: the dispenser kept the line busy" and then the driver's text on a line of
// its own, for standard error; lineError (the port's own account, English) on a third when not empty.
std::string DriverFailureText(uint32_t point, const std::string& failure, const std::string& lineError);

}  // namespace sbhost
