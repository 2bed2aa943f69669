#include "host/ReportOutages.h"

#include <algorithm>
#include <numeric>

namespace sbhost {

std::size_t Outage::Exchanges() const { return std::accumulate(counts.begin(), counts.end(), std::size_t{0}); }

std::vector<Outage> Outages(const PointHistory& history, int64_t endMs) {
    std::vector<Outage> outages;
    bool open = false;
    for (const LineEvent& event : history.line) {
        if (!event.told) continue;  // tells nothing of the dispenser
        if (event.fault == ExchangeFault::kNone) {
            if (open) outages.back().untilMs = event.timeMs;
            open = false;
            continue;
        }
        if (!open) {
            outages.emplace_back();
            outages.back().firstMs = event.timeMs;
            outages.back().untilMs = endMs;
            open = true;
        }
        outages.back().lastMs = event.timeMs;
        ++outages.back().counts[static_cast<std::size_t>(event.fault)];
    }
    return outages;
}

const char* ExchangeFaultName(ExchangeFault fault) {
    switch (fault) {
        case ExchangeFault::kNoAnswer: return "no answer";
        case ExchangeFault::kNak: return "NAK";
        case ExchangeFault::kBadCheck: return "bad block check";
        case ExchangeFault::kRefused: return "refused";
        case ExchangeFault::kWait: return "wait";
        case ExchangeFault::kNone: break;
    }
    return "answered";
}

std::string OutageText(const Outage& outage) {
    std::vector<std::size_t> kinds;
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        if (outage.counts[kind] > 0) kinds.push_back(kind);
    }
    std::stable_sort(kinds.begin(), kinds.end(),
                     [&](std::size_t a, std::size_t b) { return outage.counts[a] > outage.counts[b]; });
    std::string text;
    for (const std::size_t kind : kinds) {
        text += (text.empty() ? "" : ", ") + std::string(ExchangeFaultName(static_cast<ExchangeFault>(kind))) +
                (kinds.size() > 1 ? " " + std::to_string(outage.counts[kind]) : "");
    }
    const std::size_t exchanges = outage.Exchanges();
    return text + " " + sbdecode::ClockText(outage.firstMs) +
           (outage.lastMs == outage.firstMs ? "" : "\u2013" + sbdecode::ClockText(outage.lastMs)) + ", " +
           std::to_string(exchanges) + (exchanges == 1 ? " exchange" : " exchanges");
}

}  // namespace sbhost
