#include "operations/LinkCalls.h"

#include <optional>

#include "link/ReceiveReply.h"
#include "operations/MaintenanceMessages.h"

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

}  // namespace

SendResult SendConfirmingResets(Station& station, uint8_t point, DispenserMessage& message) {
    MessageSending sending(station.LinkOf(point), message);
    RunConfirmingResets(station, point, sending);
    return sending.Result();
}

uint8_t ReceiveConfirmingResets(Station& station, uint8_t point, uint8_t* reply, uint8_t capacity) {
    ReplyReception reception(station.LinkOf(point), reply, capacity);
    RunConfirmingResets(station, point, reception);
    return reception.Result().length;
}

}  // namespace sb
