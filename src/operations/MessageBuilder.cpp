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

namespace {

// Tells the point's sale what a message's exchange did to the START's channel, also when the exchange raises after
// the message went out: a refusal that comes later answers this message, not the START.
class SaleTelling {
public:
    SaleTelling(Station& station, uint8_t point, const DispenserMessage& message)
        : link_(station.LinkOf(point)),
          sale_(station.Point(point).Sale),
          message_(message),
          drained_(link_.DrainedRefusalsOn[StartChannel()]) {}
    SaleTelling(const SaleTelling&) = delete;
    SaleTelling& operator=(const SaleTelling&) = delete;

    ~SaleTelling() {
        // A refusal drained before the message went out answered the one before it.
        if (link_.DrainedRefusalsOn[StartChannel()] != drained_) sale_.Apply(SaleEvent::RefusalSeen);
        if (message_.delivered) sale_.Apply(SaleEvent::MessageDelivered);
    }

private:
    const LinkContext& link_;
    SaleBook& sale_;
    const DispenserMessage& message_;
    const uint32_t drained_;
};

}  // namespace

void SendOrRaise(Station& station, uint8_t point, DispenserMessage& message, const char* failureText) {
    SendResult result;
    {
        const SaleTelling telling(station, point, message);
        result = SendConfirmingResets(station, point, message);
    }
    if (result.PortStopped()) RaiseSerialIO(SystemText(failureText), RowOf(result.outcome).reason);
}

}  // namespace sb
