#include "decode/ExchangePairing.h"

namespace sbdecode {

std::vector<Exchange> ExchangePairing::Take(const TraceRecord& record) {
    std::vector<Exchange> done;
    if (record.kind == TraceRecord::Kind::kUnreadable) return done;
    const auto open = open_.find(record.point);
    if (record.kind == TraceRecord::Kind::kReceived) {
        Exchange exchange;
        if (open != open_.end()) {
            exchange = open->second.exchange;
            open_.erase(open);
        } else {
            exchange.timeMs = record.timeMs;  // a reception whose send was not recorded
            exchange.point = record.point;
            exchange.lineNumber = record.lineNumber;
        }
        exchange.answer = record.bytes;
        done.push_back(exchange);
        return done;
    }
    // A note names the point only when it belongs to one: a line without a point leaves every send open, and so
    // does one the driver writes within the exchange.
    if (open != open_.end() && !record.withinExchange &&
        (record.point != 0 || record.kind == TraceRecord::Kind::kSent)) {
        done.push_back(open->second.exchange);
        open_.erase(open);
    }
    if (record.kind == TraceRecord::Kind::kSent)
        open_[record.point] = OpenSend{
            Exchange{record.timeMs, record.point, record.bytes, {}, false, record.lineNumber}, !record.captured};
    return done;
}

std::vector<Exchange> ExchangePairing::Finish() {
    std::vector<Exchange> done;
    for (const auto& entry : open_) {
        done.push_back(entry.second.exchange);
        done.back().cutShort = entry.second.logged;
    }
    open_.clear();
    return done;
}

}  // namespace sbdecode
