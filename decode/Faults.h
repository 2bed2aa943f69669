// The kinds of fault a technician tells apart on a dispenser's line, in one table: their names in English and
// Russian, the key in JSON, and how each is told, from an exchange's bytes or from the driver's link statistics.
// The monitor counts them, the report draws them, decode and replay read them from recordings.
#pragma once

#include <cstddef>
#include <optional>

#include "decode/Conversation.h"
#include "decode/LineFrames.h"

namespace sbdecode {

enum class Fault : std::size_t {
    kNoAnswer,       // an awaited answer did not come
    kNak,            // the dispenser answered with NAK (to a data block it could not read, usually)
    kBadCheck,       // a reply's block came damaged: its check byte is wrong (the driver asks again)
    kNoise,          // the answer was no frame at all: line noise
    kWait,           // the dispenser's wait answer: busy
    kRefused,        // the dispenser's refusal answer: the request was not carried out
    kSwitchedOff,    // a status report said the point is switched off
    kDeviceMissing,  // the line's device could not be opened, written or read
    kExchangeLimit,  // a call reached the driver's limit of exchanges
    kDriverFailure,  // a call ended with the driver's failure (raised to the host)
};
constexpr std::size_t kFaultKinds = 10;

struct FaultKind {
    const char* name;     // "no answer", "NAK", "bad block check"...: the name people read
    const char* label;    // a short form for narrow tables, 8 characters at most: "silent", "corrupt"...
    const char* key;      // "no_answer", "nak"...: the key in JSON
    const char* russian;  // the name for the station's staff
    const char* told;     // how it is told
    bool onTheLine;       // told from an exchange's bytes (AnswerFault, ExchangeFault)
};

const FaultKind& KindOf(Fault fault);
inline const char* FaultName(Fault fault) { return KindOf(fault).name; }
inline const char* FaultLabel(Fault fault) { return KindOf(fault).label; }
inline const char* FaultKey(Fault fault) { return KindOf(fault).key; }

// The fault an answer that came shows, if any: NAK, noise, a bad check, a wait or a refusal.
std::optional<Fault> AnswerFault(const Frame& answer);
// The fault of a recorded exchange: no answer where one was awaited, or its answer's.
std::optional<Fault> ExchangeFault(const ReadExchange& read);

}  // namespace sbdecode
