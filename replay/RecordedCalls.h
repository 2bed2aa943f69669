// The host's calls a trace log tells, rebuilt from the driver's own lines: every call the host made on a point,
// with the exchanges it caused and the results the log tells of it. The driver opens each call with a line of
// its own (START(n), ЗАПРОС СОСТОЯНИЯ(n), GET COUNTER(n)...) and ends some with a result line (Выход
// СОСТОЯНИЕ(n): D2, RET COUNTER(n): 1.5, END START(n)); the lines of nested work (a MASTER RESET inside a status
// poll, the delivery read a finished status makes, slot 9's repeated reads) stay inside the call that made them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "decode/ExchangePairing.h"
#include "decode/TraceReader.h"

namespace sbreplay {

enum class HostCall {
    kStatus,       // slot 10 (21 through it)
    kStart,        // slot 19 (15 through it)
    kCurrentData,  // slot 9
    kFinalData,    // slot 6
    kCounter,      // slot 7
    kControl,      // slot 4 (22 and 23 send the same)
};

// "status", "start", "data", "final", "counter", "control": sbhost's names of the calls.
const char* HostCallName(HostCall call);
int HostCallSlot(HostCall call);
// The call is one the slot makes (slot 21 makes a status poll, 15 a START, 22 and 23 a control).
bool MadeBySlot(HostCall call, int slot);

// Exchanges one recorded call may hold: four times what the driver allows a call (250), so that no call of a
// driver is cut, while a log that tells no calls cannot make one grow without bound.
constexpr std::size_t kMaxCallExchanges = 1000;

struct RecordedCall {
    unsigned point = 0;
    HostCall call = HostCall::kStatus;
    std::size_t lineNumber = 0;  // the line that opened it
    int64_t timeMs = -1;
    std::string opening;  // that line's text ("GET DATA TRANSACTION(1)"); empty for a link unit read
    std::vector<sbdecode::Exchange> exchanges;
    std::size_t overflow = 0;  // exchanges beyond kMaxCallExchanges, not kept
    // The recording ends (or the host started again) before the call's end is known: what the driver does
    // beyond its exchanges is not a difference.
    bool recordingEnds = false;
    bool ended = false;  // its result line came (Выход СОСТОЯНИЕ, RET COUNTER, END START; a link unit read)
    std::optional<uint32_t> stateCode;  // kStatus: the code of "Выход СОСТОЯНИЕ(n): D2"
    std::string counterVolume;          // kCounter: the volume of "RET COUNTER(n): 1.5" as written
    bool counterFromMemory = false;     // kCounter: "RET FAST COUNTER"
    int failedSlot = -1;                // "FAILURE(n): slot k: text", a failure returned to the host
    std::string failure;
    // What the recording goes on with on the point: the next call's opening, line and time.
    std::string next;
    std::size_t nextLineNumber = 0;
    int64_t nextTimeMs = -1;
};

class CallSplitter {
public:
    struct Visitor {
        std::function<void(std::size_t lineNumber)> hostStart;  // a new run of the host begins (an empty line)
        std::function<void(RecordedCall&&)> call;               // a call is complete
    };

    explicit CallSplitter(Visitor visitor) : visitor_(std::move(visitor)) {}

    void Take(const sbdecode::TraceRecord& record);
    // The end of the recording: the calls still open are complete as far as it tells.
    void Finish();

    // Exchanges of a point before its first call, which no call can replay.
    std::size_t strayExchanges() const { return stray_; }
    // Failure lines no open call of their point and slot could have written (a call that failed writes no
    // result line), and the first one's line.
    std::size_t unplacedFailures() const { return unplacedFailures_; }
    std::size_t firstUnplacedFailure() const { return firstUnplacedFailure_; }

private:
    struct OpenCall {
        std::optional<RecordedCall> call;
        bool ended = false;       // its result line came: only a failure line still belongs to it
        bool asked = false;       // kStatus: its ЗАПРОС СОСТОЯНИЯ came (a MASTER RESET comes before it)
        bool nestedRead = false;  // the next delivery read belongs to it
        bool confirmed = false;   // a RESET confirmation ran inside it: a MASTER RESET may follow
    };

    void TakeExchange(const sbdecode::Exchange& exchange);
    void TakeNote(const sbdecode::TraceRecord& record);
    // Emits the point's open call, telling it what follows, and opens the new one.
    void Begin(OpenCall& open, HostCall call, unsigned point, std::size_t lineNumber, int64_t timeMs,
               const std::string& opening);
    void Emit(OpenCall& open);
    // Every open call is complete as far as the recording tells (its end, or a new run of the host).
    void CloseAll();

    Visitor visitor_;
    sbdecode::ExchangePairing pairing_;
    std::map<unsigned, OpenCall> points_;
    std::size_t stray_ = 0;
    std::size_t unplacedFailures_ = 0;
    std::size_t firstUnplacedFailure_ = 0;
};

}  // namespace sbreplay
