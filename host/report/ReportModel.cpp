#include "host/report/ReportModel.h"

#include <algorithm>

namespace sbhost {

void ReportModel::TakeNote(const sbdecode::TraceRecord& record) {
    if (record.kind == sbdecode::TraceRecord::Kind::kFailure) {
        failures.push_back({record.timeMs, record.point, record.slot, record.text});
    }
}

void ReportModel::Take(const sbdecode::ReadExchange& read) {
    const int64_t time = read.exchange.timeMs;
    if (time < 0) return;  // a capture without times has no place on a time axis
    // Lines of two threads may reach the log out of order: the recording spans its earliest to its latest time.
    firstMs = firstMs < 0 ? time : std::min(firstMs, time);
    lastMs = std::max(lastMs, time);
    ++exchanges;
    PointHistory& history = points[read.exchange.point];
    const std::optional<sbdecode::Fault> fault = sbdecode::ExchangeFault(read);
    history.line.push_back({time, read.retry, read.awaited && !read.cutShort, fault});
    if (read.request && read.request->name == "START") {
        Delivery delivery;
        delivery.point = read.exchange.point;
        delivery.startMs = time;
        delivery.grade = read.request->grade;
        delivery.price = read.request->price;
        delivery.preset = read.request->preset;
        history.deliveries.push_back(delivery);
    }
    // A block whose check is bad tells nothing for certain (the line library sends NAK and takes the block again).
    if (!read.reply || fault == sbdecode::Fault::kBadCheck) return;
    const sbdecode::Message& reply = *read.reply;
    if (reply.status != 0) history.states.push_back({time, reply.status});
    const bool delivering = reply.status == '2' || reply.status == ':' || reply.status == ';';
    if (!reply.figures) {
        if (delivering && !history.deliveries.empty() && !history.deliveries.back().finalRead)
            history.deliveries.back().delivering = true;
        return;
    }
    // Figures of a delivery that was not started in the recording begin one of their own.
    if (history.deliveries.empty() || history.deliveries.back().grade != reply.grade ||
        (reply.volume < history.deliveries.back().volume && !history.deliveries.back().curve.empty())) {
        Delivery delivery;
        delivery.point = read.exchange.point;
        delivery.startMs = time;
        delivery.grade = reply.grade;
        history.deliveries.push_back(delivery);
    }
    Delivery& delivery = history.deliveries.back();
    delivery.price = reply.price;
    delivery.volume = reply.volume;
    delivery.amount = reply.amount;
    delivery.nozzle = reply.nozzle;
    // Final: read once the delivery has ended, not before it began.
    delivery.delivering = delivery.delivering || delivering;
    delivery.finalRead = !delivering && (delivery.delivering || reply.status == '3' || reply.status == '4');
    delivery.curve.push_back({time, reply.volume});
}

std::vector<Delivery> ReportModel::Deliveries() const {
    std::vector<Delivery> all;
    for (const auto& point : points) {
        for (const Delivery& delivery : point.second.deliveries) {
            if (!delivery.curve.empty() || delivery.delivering) all.push_back(delivery);
        }
    }
    std::sort(all.begin(), all.end(), [](const Delivery& a, const Delivery& b) { return a.startMs < b.startMs; });
    return all;
}

}  // namespace sbhost
