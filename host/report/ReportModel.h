// What the report draws, gathered from a recording: per point the states the dispenser reported over time and
// its deliveries with their volume curves, per line its exchanges, retries and silences.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "decode/Conversation.h"
#include "decode/Faults.h"
#include "decode/TraceReader.h"

namespace sbhost {

struct StateSample {
    int64_t timeMs;
    char status;  // the dispenser's status character
};

struct VolumeSample {
    int64_t timeMs;
    double volume;  // litres
};

struct Delivery {
    unsigned point = 0;
    int64_t startMs = 0;  // START, or the first figures of a delivery nobody started here
    int grade = 0;
    double price = 0;
    double volume = 0;  // the latest figures read
    double amount = 0;
    int nozzle = 0;           // 0 until a delivery reply names it
    std::string preset;       // START's preset in words; empty for a delivery not started here
    bool delivering = false;  // the dispenser reported it delivering
    bool finalRead = false;   // figures read once the delivery had ended
    std::vector<VolumeSample> curve;
};

// Seen delivering, and its final figures never read: the log cut short, or the point fell silent.
inline bool Interrupted(const Delivery& delivery) { return delivery.delivering && !delivery.finalRead; }

struct LineEvent {
    int64_t timeMs;
    bool retry;
    bool told;  // the dispenser's answer, or that none came, is known: an answer was awaited and recorded
    std::optional<sbdecode::Fault> fault;  // none for an exchange answered well or not told
};

struct PointHistory {
    std::vector<StateSample> states;
    std::vector<LineEvent> line;
    std::vector<Delivery> deliveries;
};

// A failure a slot returned to the host (the driver's "FAILURE(n): slot k: text").
struct ReturnedFailure {
    int64_t timeMs;
    unsigned point;  // 0 for a slot without one
    int slot;
    std::string text;
};

struct ReportModel {
    std::map<unsigned, PointHistory> points;
    std::vector<ReturnedFailure> failures;
    int64_t firstMs = -1;  // the earliest and the latest time of an exchange
    int64_t lastMs = -1;
    uint64_t exchanges = 0;

    // Takes one exchange of the recording, in order.
    void Take(const sbdecode::ReadExchange& read);
    // Takes one of the driver's own lines: a failure returned to the host is kept, the rest is not drawn.
    void TakeNote(const sbdecode::TraceRecord& record);
    // Deliveries of every point that have figures or were seen delivering, by start time.
    std::vector<Delivery> Deliveries() const;
};

}  // namespace sbhost
