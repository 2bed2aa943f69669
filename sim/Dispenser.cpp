#include "sim/Dispenser.h"

namespace sbsim {
namespace {

constexpr char kLinkUnitMark = '2';

}  // namespace

Dispenser::Dispenser(const PointConfig& config) : point_(config), link_(*this, faults_) {}

Bytes Dispenser::Exchange(const Bytes& sent) {
    if (std::optional<Bytes> scripted = faults_.TakeScripted()) return *scripted;
    if (faults_.TakeSilence()) return {};
    Flush();
    Bytes answer;
    if (IsLinkUnitRequest(sent)) {
        const uint16_t count = point_.LinkUnitCount();
        answer = {kStx, kLinkUnitMark, static_cast<uint8_t>(count & 0xFF), static_cast<uint8_t>(count >> 8)};
    } else {
        answer = link_.Receive(sent);
    }
    if (std::optional<Bytes> garbled = faults_.TakeGarble()) return *garbled;
    return answer;
}

void Dispenser::PowerCycle(DisplayAfterPower display) {
    link_.PowerUp();
    point_.PowerCycle(display);
    Flush();
}

bool Dispenser::IsLinkUnitRequest(const Bytes& sent) const {
    return point_.config().linkUnit && sent == ToBytes(kLinkUnitRequest);
}

void Dispenser::OnPoll() {
    point_.Tick();
    Flush();
}

void Dispenser::OnMessage(const std::string& message) {
    const Request request = ParseRequest(message);
    if (faults_.TakeRefusal()) point_.Refuse(request);
    else point_.Handle(request);
    Flush();
}

void Dispenser::Flush() {
    for (const std::string& message : point_.TakeOutbox()) link_.Queue(message);
}

}  // namespace sbsim
