#include "host/recording/RecordingScope.h"

#include "host/program/Arguments.h"

namespace sbhost {
namespace {

// --to counts its hours on past midnight: 24:10 is ten past midnight of the next day.
constexpr int kMaxToHours = 47;

bool Refuse(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

}  // namespace

const char kScopeUsage[] = "[--point N] [--from hh:mm[:ss[.zzz]]] [--to hh:mm[:ss[.zzz]]]";

bool RecordingScope::Passes(unsigned onPoint, int64_t timeMs) const {
    if (point != 0 && onPoint != point) return false;
    if (!timed) return true;
    if (timeMs < 0) return false;
    const int64_t clock = timeMs % kDayMs;
    return toMs < kDayMs ? (clock >= fromMs && clock <= toMs) : (clock >= fromMs || clock <= toMs - kDayMs);
}

bool TakeScopeOption(const std::vector<std::string>& words, std::size_t* at, RecordingScope* scope,
                     std::string* error) {
    error->clear();
    const std::string& word = words[*at];
    if (word != "--point" && word != "--from" && word != "--to") return false;
    const std::string value = ++*at < words.size() ? words[*at] : "";
    const std::string given = ", not \"" + value + "\"";
    ClockTime time;
    if (word == "--point") {
        if (!ReadPoint(value, &scope->point)) return Refuse(error, "--point wants 1..32" + given);
        return true;
    }
    if (word == "--from") {
        if (!ReadClock(value, 23, &time)) return Refuse(error, "--from wants hh:mm[:ss[.zzz]]" + given);
        scope->fromMs = time.ms;
        scope->fromText = value;
    } else {
        if (!ReadClock(value, kMaxToHours, &time))
            return Refuse(error, "--to wants hh:mm[:ss[.zzz]], hours to 47" + given);
        scope->toMs = time.ms + time.spanMs - 1;  // the whole minute, second or fraction it names
        scope->toText = value;
    }
    scope->timed = true;
    if (scope->fromMs > scope->toMs) {
        return Refuse(error, "--from " + scope->fromText + " is after --to " + scope->toText +
                                 ": nothing lies between (past midnight, count the hours on: 00:10 the next day is "
                                 "24:10)");
    }
    return true;
}

}  // namespace sbhost
