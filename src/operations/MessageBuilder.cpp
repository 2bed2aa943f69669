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
    const LinkContext& link = station.LinkOf(point);
    SaleBook& sale = station.Point(point).Sale;
    const uint32_t drained = link.DrainedRefusalsOn[StartChannel()];
    // Told also when the exchange raises after the message went out: a later refusal answers this message.
    const auto tellSale = [&] {
        // A refusal drained before the message went out answered the one before it.
        if (link.DrainedRefusalsOn[StartChannel()] != drained) sale.Apply(SaleEvent::RefusalSeen);
        if (message.delivered) sale.Apply(SaleEvent::MessageDelivered);
    };
    SendResult result;
    try {
        result = SendConfirmingResets(station, point, message);
    } catch (...) {
        tellSale();
        throw;
    }
    tellSale();
    if (result.PortStopped()) RaiseSerialIO(SystemText(failureText), RowOf(result.outcome).reason);
}

}  // namespace sb
