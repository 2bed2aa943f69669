#include "operations/LinkCalls.h"

#include <optional>

#include "link/ReceiveReply.h"
#include "operations/MaintenanceMessages.h"
#include "operations/ReplyDecoders.h"
#include "operations/StatusClassification.h"

namespace sb {
namespace {

// Each request pauses the call once per block that carries it: the call's own bounds (poll cycles, blocks,
// attempts, the call's exchanges) bound the loop.
template <typename Call>
void RunConfirmingResets(Station& station, uint8_t point, Call& call) {
    while (const std::optional<ResetRequest> reset = call.Run()) {
        ++station.LinkOf(point).Stats.ResetsAsked;
        ConfirmReset(station, point, *reset);
    }
}

// The data of the replies the selection drained, taken under the point's lock.
void TakeDrainedReports(Station& station, uint8_t point) {
    LinkContext& link = station.LinkOf(point);
    std::vector<std::string> drained;
    {
        platform::LockGuard hold(link.PointLock);
        drained.swap(link.DrainedReplies);
    }
    for (const std::string& reply : drained) {
        TakeUndecodedReport(station, point, reinterpret_cast<const uint8_t*>(reply.data()), reply.size());
    }
}

}  // namespace

void TakeUndecodedReport(Station& station, uint8_t point, const uint8_t* bytes, size_t length) {
    const std::optional<StatusReport> report = DecodeStatusReport(bytes, length);
    if (!report) return;
    const StatusClass status = ClassifyStatus(report->statusChar, report->digit, 0);
    SaleBook& sale = station.Point(point).Sale;
    if (status.followUp == StatusFollowUp::Initialise) sale.Apply(SaleEvent::Reinitialised);
    if (!status.saleBegan) return;
    SaleFacts delivering;
    delivering.began = true;
    delivering.grade = report->digit;
    sale.Apply(SaleEvent::StatusReported, delivering);
}

SendResult SendConfirmingResets(Station& station, uint8_t point, DispenserMessage& message) {
    MessageSending sending(station.LinkOf(point), message);
    RunConfirmingResets(station, point, sending);
    TakeDrainedReports(station, point);
    return sending.Result();
}

uint8_t ReceiveConfirmingResets(Station& station, uint8_t point, uint8_t* reply, uint8_t capacity) {
    ReplyReception reception(station.LinkOf(point), reply, capacity);
    RunConfirmingResets(station, point, reception);
    return reception.Result().length;
}

}  // namespace sb
