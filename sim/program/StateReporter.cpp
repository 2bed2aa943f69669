#include "sim/program/StateReporter.h"

#include <string>

namespace sbsim {
namespace {

// "5.00" for 500: the simulator keeps volumes, prices and amounts in hundredths.
std::string Hundredths(int64_t value) {
    const int64_t magnitude = value < 0 ? -value : value;
    const std::string cents = std::to_string(magnitude % 100);
    return (value < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

const char* StateName(PointState state) {
    switch (state) {
        case PointState::Idle: return "Idle";
        case PointState::NozzleUp: return "NozzleUp";
        case PointState::Authorised: return "Authorised";
        case PointState::Delivering: return "Delivering";
        case PointState::Finished: return "Finished";
        case PointState::Ended: return "Ended";
        case PointState::Cancelled: return "Cancelled";
        case PointState::Off: return "Off";
    }
    return "?";
}

}  // namespace

void StateReporter::Look(const FillingPoint& point) {
    const PointState state = point.state();
    const char status = point.StatusChar();
    const int digit = point.StatusDigit();
    if (looked_ && state == state_ && status == status_ && digit == digit_) return;
    const bool deliveryStopped = looked_ && state_ == PointState::Delivering && state != PointState::Delivering;
    looked_ = true;
    state_ = state;
    status_ = status;
    digit_ = digit;
    out_ << prefix_ << "state " << StateName(state) << " status " << status << " digit " << digit << "\n";
    if (deliveryStopped) {
        const SaleFigures& sale = point.sale();
        out_ << prefix_ << "sale grade " << sale.grade << " nozzle " << sale.nozzle << " volume "
             << Hundredths(sale.volume) << " price " << Hundredths(sale.price) << " amount " << Hundredths(sale.amount)
             << "\n";
        out_ << prefix_ << "totals grade " << sale.grade << " volume " << Hundredths(point.VolumeTotal(sale.grade))
             << " amount " << Hundredths(point.AmountTotal(sale.grade)) << "\n";
    }
    out_.flush();
}

}  // namespace sbsim
