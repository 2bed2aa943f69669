// Reading sbhost's command line: its options, and the words of its commands (numbers, point numbers and clock
// times).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/program/DeliveryOrder.h"
#include "line/SerialLine.h"

namespace sbhost {

// sbhost's options: those before the first word that is none, and --json anywhere.
struct Options {
    std::string libraryPath;  // --library, or the library loaded unless told otherwise
    DeliveryOrder order;      // --point, --grade, --price, --volume, --amount
    bool pointGiven = false;  // --point: the lines' commands run on it rather than on the lowest line given
    bool simulate = false;
    bool json = false;
    std::map<uint32_t, std::string> lines;            // --line N=DEVICE
    int turnaroundMs = sbline::kDefaultTurnaroundMs;  // --turnaround MS: the lines' wait for an answer
    std::vector<std::string> words;                   // the command and its words
};

enum class OptionsRead { kRead, kHelp, kBadUsage };

// Reads the words after the program's name into *options, which holds the defaults. kHelp for --help or -h before
// any command; kBadUsage for an option that is none or lacks its value, with *error telling a bad --line.
OptionsRead ReadOptions(int argc, char** argv, Options* options, std::string* error);

// The whole text is a number.
bool ReadNumber(const std::string& text, double* value);
// How long the dispensers on the lines may take to begin an answer, as --turnaround gives it: whole
// milliseconds, 0..5000 (every unanswered exchange costs that much).
bool ReadTurnaround(const std::string& text, int* milliseconds);
extern const char kTurnaroundWants[];
// A point number 1..32.
bool ReadPoint(const std::string& text, uint32_t* point);
// A time of day as a command line gives it, and how long the time it names lasts: "14:47" is the whole
// minute, "14:47:28" the second, "14:47:28.9" the tenth.
struct ClockTime {
    int64_t ms = 0;      // since midnight, to its start
    int64_t spanMs = 0;  // a minute, a second, a tenth, a hundredth or a thousandth
};
// "hh:mm", "hh:mm:ss" or "hh:mm:ss.z" with one to three digits of fraction; hours up to maxHours.
bool ReadClock(const std::string& text, int maxHours, ClockTime* time);

}  // namespace sbhost
