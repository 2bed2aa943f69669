#include "host/report/ReportOutages.h"

#include <algorithm>
#include <numeric>

namespace sbhost {

std::size_t Outage::Exchanges() const { return std::accumulate(counts.begin(), counts.end(), std::size_t{0}); }

std::vector<Outage> Outages(const PointHistory& history, int64_t endMs) {
    std::vector<Outage> outages;
    std::size_t good = 0;  // answered well since the latest outage's last failure
    for (const LineEvent& event : history.line) {
        if (!event.told) continue;  // tells nothing of the dispenser
        if (!event.fault) {
            if (!outages.empty() && good++ == 0) outages.back().untilMs = event.timeMs;
            continue;
        }
        if (outages.empty() || good > kMergeGoodAnswers) {
            outages.emplace_back();
            outages.back().firstMs = event.timeMs;
        }
        good = 0;
        outages.back().untilMs = endMs;
        outages.back().lastMs = event.timeMs;
        ++outages.back().counts[static_cast<std::size_t>(*event.fault)];
    }
    return outages;
}

std::vector<Outage> RankedOutages(const PointHistory& history, int64_t endMs) {
    std::vector<Outage> outages = Outages(history, endMs);
    std::stable_sort(outages.begin(), outages.end(),
                     [](const Outage& a, const Outage& b) { return a.Exchanges() > b.Exchanges(); });
    return outages;
}

std::string OutageText(const Outage& outage) {
    std::vector<std::size_t> kinds;
    for (std::size_t kind = 0; kind < sbdecode::kFaultKinds; ++kind) {
        if (outage.counts[kind] > 0) kinds.push_back(kind);
    }
    std::stable_sort(kinds.begin(), kinds.end(),
                     [&](std::size_t a, std::size_t b) { return outage.counts[a] > outage.counts[b]; });
    std::string text;
    for (const std::size_t kind : kinds) {
        text += (text.empty() ? "" : ", ") + std::string(sbdecode::FaultName(static_cast<sbdecode::Fault>(kind))) +
                (kinds.size() > 1 ? " " + std::to_string(outage.counts[kind]) : "");
    }
    const std::size_t exchanges = outage.Exchanges();
    return text + " " + sbdecode::ClockText(outage.firstMs) +
           (outage.lastMs == outage.firstMs ? "" : "\u2013" + sbdecode::ClockText(outage.lastMs)) + ", " +
           std::to_string(exchanges) + (exchanges == 1 ? " exchange" : " exchanges");
}

}  // namespace sbhost
