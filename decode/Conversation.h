// The exchanges on dispenser lines read in order, each named frame by frame: what the driver sent, what the
// dispenser answered, the messages the blocks complete, the retries, NAKs and silences, and the quiet time before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "decode/LineFrames.h"
#include "decode/Messages.h"

namespace sbdecode {

// A line that stays quiet longer than this between two exchanges is marked.
constexpr int64_t kGapMs = 1000;

// One exchange as recorded: the driver's transmission and the answer to it.
struct Exchange {
    int64_t timeMs = 0;  // since midnight of the recording's first day
    unsigned point = 0;  // 0 when the recording names none
    Bytes sent;
    Bytes answer;
    bool cutShort = false;       // the recording ends before the answer it would have told
    std::size_t lineNumber = 0;  // the recording's line of the send (of the answer when no send was recorded)
};

struct ReadExchange {
    Exchange exchange;
    Frame sent;
    Frame answer;
    bool awaited = false;            // the transmission calls for an answer (all but a lone EOT)
    bool silent = false;             // an answer was awaited and none came
    bool cutShort = false;           // an answer was awaited and the recording ends before it
    bool retry = false;              // a data block sent after a block of the point that was not acknowledged
    bool nak = false;                // the dispenser answered NAK
    int lineResult = 1;              // what the port tells the driver: 1 answered or nothing awaited, 2 no answer;
                                     // 0 not known (cut short)
    int64_t quietMs = -1;            // since the point's previous exchange; -1 for its first
    std::optional<Message> request;  // a request the dispenser took whole with this exchange
    std::string requestText;         // with request: its text as the blocks carried it
    std::optional<Message> reply;    // a reply message the answer completed
};

class Conversation {
public:
    ReadExchange Read(const Exchange& exchange);

private:
    struct PointState {
        std::string request;  // blocks of the driver acknowledged so far
        std::string reply;    // blocks of the dispenser so far
        bool unacknowledgedBlock = false;
        int64_t lastMs = -1;
    };
    std::map<unsigned, PointState> points_;
};

// "12:39:48.302" for a time since midnight, days beyond the first dropped; "--:--:--.---" for no time (-1).
std::string ClockText(int64_t timeMs);

// The exchange in lines for people: the quiet time when it is long, the frames, the messages completed.
std::string ExchangeText(const ReadExchange& read);

// A failure a slot returned to the host, as a line of its point: "12:39:48.302  1  ! FAILURE slot 10: text".
std::string FailureText(int64_t timeMs, unsigned point, int slot, const std::string& text);

}  // namespace sbdecode
