// sbhost replay LOG: the host's calls of a station's trace log made again through today's driver, against the
// recorded dispensers (in process, or over serial lines to sbsim --replay), and either "identical" or the
// first difference told.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/program/Output.h"

namespace sbhost {

extern const char kReplayUsage[];

// Exit code of a replay that found a difference.
constexpr int kExitDiffers = 4;

// words: what follows "replay"; lines: the serial lines given with --line (empty: in process), turnaroundMs theirs
// unless the words give one. Returns the exit
// code: 0 identical, kExitDiffers differs, 1 the recording or the library could not be read, 2 bad words.
int RunReplay(const std::vector<std::string>& words, const std::string& libraryPath,
              const std::map<uint32_t, std::string>& lines, int turnaroundMs, Output& out);

}  // namespace sbhost
