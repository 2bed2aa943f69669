// The stretch of a recording decode and report keep: one point's lines, a stretch of the day, as the command
// line gives them (--point N, --from hh:mm[:ss[.zzz]], --to hh:mm[:ss[.zzz]]).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sbhost {

extern const char kScopeUsage[];  // "[--point N] [--from ...] [--to ...]"

constexpr int64_t kDayMs = 24LL * 3600 * 1000;

struct RecordingScope {
    uint32_t point = 0;  // 0: every point
    bool timed = false;  // --from or --to given
    int64_t fromMs = 0;  // times of day, both ends taken in; toMs beyond a day reaches past midnight
    int64_t toMs = kDayMs - 1;
    std::string fromText, toText;  // as given, for messages

    // A line of the point at the time (-1: none) is kept.
    bool Passes(unsigned onPoint, int64_t timeMs) const;
};

// Takes words[*at] when it is --point, --from or --to, with the value after it, and moves *at onto that value:
// true. False with *error empty when the word is none of them; false with what is wrong in *error for a bad
// value, or a range that ends before it starts.
bool TakeScopeOption(const std::vector<std::string>& words, std::size_t* at, RecordingScope* scope, std::string* error);

}  // namespace sbhost
