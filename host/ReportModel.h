// What the report draws, gathered from a recording: per point the states the dispenser reported over time and
// its deliveries with their volume curves, per line its exchanges, retries and silences.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "decode/Conversation.h"

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
    std::vector<VolumeSample> curve;
};

struct LineEvent {
    int64_t timeMs;
    bool retry;
    bool silent;
};

struct PointHistory {
    std::vector<StateSample> states;
    std::vector<LineEvent> line;
    std::vector<Delivery> deliveries;
};

struct ReportModel {
    std::map<unsigned, PointHistory> points;
    int64_t firstMs = -1;  // the earliest and the latest time of an exchange
    int64_t lastMs = -1;
    uint64_t exchanges = 0;

    // Takes one exchange of the recording, in order.
    void Take(const sbdecode::ReadExchange& read);
    // Deliveries of every point that have figures, by start time.
    std::vector<Delivery> Deliveries() const;
};

}  // namespace sbhost
