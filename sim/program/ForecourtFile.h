// sbsim's configuration file: the forecourt's lines and points, one section each ("[line A]", "[point 3]"),
// NAME = VALUE settings under them. Its format is told in docs/sbhost.md; settings not given keep the values
// of sbsim's options.
#ifndef SBSIM_PROGRAM_FORECOURTFILE_H
#define SBSIM_PROGRAM_FORECOURTFILE_H

#include <istream>
#include <string>

#include "sim/program/Forecourt.h"

namespace sbsim {

// Longest line of the file; a longer one is an error.
constexpr std::size_t kMaxConfigLine = 400;

// Reads the file's lines and points into *forecourt, new lines and points starting from the given defaults.
// False and "NAME:LINE: why" in *error for anything it cannot take, or a point whose nozzles, grades and
// prices do not agree.
bool ReadForecourtFile(std::istream& in, const std::string& name, const LineSetup& lineDefaults,
                       const PointConfig& pointDefaults, Forecourt* forecourt, std::string* error);

}  // namespace sbsim

#endif
