// The host's recorded calls made again through the driver library, one at a time, on lines that answer as the
// recording did; each call's exchanges are compared as they happen (CallTracker), and afterwards the results
// the log tells of it: the state code of a status poll, the total of a counter call, a failure returned.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>

#include "decode/Conversation.h"
#include "host/program/DriverLibrary.h"
#include "host/replay/ReplayLines.h"
#include "replay/RecordedCalls.h"
#include "replay/RecordedOrders.h"
#include "settings/DriverSettings.h"

namespace sbhost {

class CallReplay {
public:
    // settings: the driver's, to turn START's digits back into the prices and presets the host gave.
    CallReplay(const DriverLibrary& library, SbPortService* port, CallTracker& tracker,
               const sb::DriverSettings& settings)
        : library_(library), port_(port), tracker_(tracker), settings_(settings) {}

    // Makes the call (on the process's one driver object, whose lines open as their first calls come); the
    // first difference from the recording, if any.
    std::optional<Difference> Replay(const sbreplay::RecordedCall& call);

    // Results the log told and the replay compared.
    std::size_t figures() const { return figures_; }

private:
    struct Results {
        uint32_t stateCode = 0;
        double volume = 0;
    };
    void Make(const sbreplay::RecordedCall& call, Results* results);
    void Start(const sbreplay::RecordedCall& call);
    int32_t CounterGradeOf(const sbreplay::RecordedCall& call);
    std::optional<Difference> Compare(const sbreplay::RecordedCall& call, const Results& results, bool failed,
                                      const std::string& failure);

    const DriverLibrary& library_;
    SbPortService* port_;
    CallTracker& tracker_;
    sb::DriverSettings settings_;
    SbDriver* driver_ = nullptr;  // the process's one driver object, made at the first call
    std::set<unsigned> opened_;
    std::map<unsigned, sbdecode::Conversation> conversations_;
    std::map<unsigned, sbreplay::StartOrder> starts_;     // each point's latest START, for one whose message is lost
    std::map<unsigned, sbreplay::CounterTotals> totals_;  // each point's totals of its latest counter reply
    std::size_t figures_ = 0;
};

}  // namespace sbhost
