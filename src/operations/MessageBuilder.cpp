#include "operations/MessageBuilder.h"

#include <stdexcept>
#include <vector>

#include "common/Failure.h"
#include "operations/LinkCalls.h"

namespace sb {

const SystemText& TraceName(Command command) {
    static const std::vector<SystemText> names = [] {
        std::vector<SystemText> converted;
        converted.reserve(kCommandCount);
        for (size_t i = 0; i < kCommandCount; ++i) converted.emplace_back(CatalogueEntry(static_cast<Command>(i)).name);
        return converted;
    }();
    return names[static_cast<size_t>(command)];
}

DispenserMessage Request(Station& station, uint8_t point, Command command,
                         std::initializer_list<std::string_view> fields) {
    const LinkContext& link = station.LinkOf(point);
    DispenserMessage message;
    const RequestHeader header{link.SeqChar[0], link.ReqChar[0]};
    if (!BuildRequest(CatalogueEntry(command), header, fields.begin(), fields.size(), message)) {
        // The operations check their values against the fields' widths before they get here.
        throw std::invalid_argument("a request field does not fit the message");
    }
    return message;
}

int StartChannel() { return CatalogueEntry(Command::Start).channel - '0'; }

void SendOrRaise(Station& station, uint8_t point, DispenserMessage& message, const char* failureText) {
    LinkContext& link = station.LinkOf(point);
    FillingPoint& fillingPoint = station.Point(point);
    const uint32_t drained = link.DrainedRefusalsOn[StartChannel()];
    const SendResult result = SendConfirmingResets(station, point, message);
    // A refusal drained before the message went out answered the one before it.
    if (link.DrainedRefusalsOn[StartChannel()] != drained) fillingPoint.Sale.Apply(SaleEvent::RefusalSeen);
    if (message.delivered) fillingPoint.Sale.Apply(SaleEvent::MessageDelivered);
    if (result.PortStopped()) RaiseSerialIO(SystemText(failureText), RowOf(result.outcome).reason);
}

}  // namespace sb
