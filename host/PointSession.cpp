#include "host/PointSession.h"

#include <iomanip>
#include <sstream>

#include "common/Cp1251.h"

namespace sbhost {

std::string Hex(uint32_t code) {
    std::ostringstream text;
    text << std::uppercase << std::hex << std::setw(2) << std::setfill('0') << code;
    return text.str();
}

bool IsNozzleUp(uint32_t code) { return code >= 0xE0 && code <= 0xE6; }
bool IsDeliveryStopped(uint32_t code) { return code >= 0xD0 && code <= 0xD6; }

PointSession::PointSession(SbDriver* driver, uint32_t point, std::ostream& out)
    : driver_(driver), vm_(*driver->vtbl), point_(point), out_(out) {
    out_ << std::fixed << std::setprecision(2);
}

bool PointSession::OpenLine() {
    SbDescription description;
    vm_.Describe(&description, driver_);
    out_ << "driver: "
         << sb::ToUtf8(std::string(reinterpret_cast<const char*>(description.bytes + 1), description.bytes[0]))
         << "\n";
    const int32_t answer = vm_.OpenLine(driver_, point_);
    out_ << "open line " << point_ << ": port answered " << answer << "\n";
    return answer == 0;
}

uint32_t PointSession::Poll() { return vm_.PollStatus(driver_, point_, 0); }

uint32_t PointSession::PollUntil(const std::function<bool(uint32_t)>& done) {
    uint32_t code = Poll();
    for (int i = 1; i < kMaxPolls && !done(code); ++i) code = Poll();
    return code;
}

uint32_t PointSession::Watch() {
    uint32_t code = 0;
    for (int i = 0; i < kMaxPolls && !IsDeliveryStopped(code); ++i) {
        code = Poll();
        const Figures now = Current();
        out_ << "  state " << Hex(code) << "  " << std::setw(7) << now.volume << " l  " << std::setw(8) << now.amount
             << "\n";
    }
    return code;
}

Figures PointSession::Current() {
    Figures figures;
    figures.volume = vm_.CurrentDeliveryData(driver_, point_, 0, &figures.amount);
    return figures;
}

Figures PointSession::Final() {
    Figures figures;
    vm_.FinalDeliveryData(driver_, point_, 0, &figures.volume, &figures.amount);
    return figures;
}

Figures PointSession::Totals(int32_t grade) {
    Figures figures;
    vm_.GetCounter(driver_, point_, 0, grade, &figures.volume, &figures.amount, 0, 0);
    return figures;
}

}  // namespace sbhost
