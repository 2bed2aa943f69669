#include "sim/FillingPoint.h"

#include <algorithm>

namespace sbsim {
namespace {

constexpr int64_t kMaxScale = 10000;  // keeps every amount product well inside 64 bits
constexpr int64_t kMaxPrice = 99999;  // the widest price START carries

int64_t Clamp(int64_t value, int64_t low, int64_t high) { return std::min(std::max(value, low), high); }

// Status reports always travel on channel 1.
constexpr char kReportChannel = '1';

bool ValidGrade(int grade) { return grade >= 1 && grade <= kMaxGrade; }

}  // namespace

FillingPoint::FillingPoint(const PointConfig& config) : config_(config) {
    config_.nozzles = static_cast<int>(Clamp(config_.nozzles, 1, kMaxGrade));
    config_.flowPerPoll = Clamp(config_.flowPerPoll, 1, kMaxDeliveryVolume);
    config_.tankCapacity = Clamp(config_.tankCapacity, 1, kMaxDeliveryVolume);
    config_.amountScale = Clamp(config_.amountScale, 1, kMaxScale);
    config_.priceScale = Clamp(config_.priceScale, 1, kMaxScale);
    for (int nozzle = 1; nozzle <= kMaxGrade; ++nozzle) {
        if (!ValidGrade(config_.grades[nozzle])) config_.grades[nozzle] = nozzle;
    }
    for (int64_t& price : config_.prices) price = Clamp(price, 0, kMaxPrice);
}

char FillingPoint::StatusChar() const {
    if (initialisationRequested_) return '9';
    switch (state_) {
        case PointState::Idle: return '0';
        case PointState::NozzleUp:
        case PointState::Authorised: return '1';
        case PointState::Delivering: return '2';
        case PointState::Finished: return '3';
        case PointState::Ended: return '4';
        case PointState::Cancelled: return '5';
        case PointState::Off: return '7';
    }
    return '0';
}

int FillingPoint::StatusDigit() const {
    switch (state_) {
        case PointState::Idle:
        case PointState::Off: return 0;
        case PointState::NozzleUp: return lifted_;
        case PointState::Authorised: return lifted_ != 0 ? lifted_ : started_.grade;
        case PointState::Cancelled: return started_.grade;
        default: return sale_.grade;
    }
}

void FillingPoint::LiftNozzle(int nozzle) {
    if (lifted_ != 0 || nozzle < 1 || nozzle > config_.nozzles) return;
    lifted_ = nozzle;
    if (state_ == PointState::Idle || state_ == PointState::Ended || state_ == PointState::Cancelled)
        state_ = PointState::NozzleUp;
    ReportChange();
}

void FillingPoint::HangNozzle() {
    if (lifted_ == 0) return;
    lifted_ = 0;
    switch (state_) {
        case PointState::NozzleUp: state_ = PointState::Idle; break;
        case PointState::Authorised: state_ = PointState::Cancelled; break;
        case PointState::Delivering:
        case PointState::Finished: state_ = PointState::Ended; break;
        default: break;
    }
    ReportChange();
}

void FillingPoint::SwitchAtDispenser(bool on) {
    SwitchPoint(on);
    ReportChange();
}

void FillingPoint::PowerCycle(DisplayAfterPower display) {
    state_ = lifted_ != 0 ? PointState::NozzleUp : PointState::Idle;  // the authorisation and the delivery end
    if (display == DisplayAfterPower::Reset) sale_ = SaleFigures{};
    outbox_.clear();
    sequence_ = '0';
    resetRequested_ = false;
    masterResetRequested_ = false;
    initialisationRequested_ = true;
    QueueReport();
}

void FillingPoint::Tick() {
    if (state_ == PointState::Authorised && lifted_ != 0 && config_.grades[lifted_] == started_.grade) {
        state_ = PointState::Delivering;
        sale_ = started_;
        sale_.nozzle = lifted_;
    } else if (state_ == PointState::Delivering) {
        Advance();
    }
    ReportChange();
}

void FillingPoint::Advance() {
    const int64_t volume = std::min(sale_.volume + config_.flowPerPoll, limit_);
    const int64_t added = volume - sale_.volume;
    sale_.volume = volume;
    volumeTotals_[sale_.grade] += added;
    if (sale_.volume < limit_) {
        SetAmount(AmountOf(sale_.volume));
        return;
    }
    SetAmount(stopsAtAmount_ ? presetAmount_ : AmountOf(sale_.volume));
    state_ = PointState::Finished;
}

// Totals grow by exactly what the delivery's amount grows.
void FillingPoint::SetAmount(int64_t amount) {
    amountTotals_[sale_.grade] += amount - sale_.amount;
    sale_.amount = amount;
}

// volume [1/100 l] × price [price units/l] × amountScale / (100 × priceScale), rounded half up.
int64_t FillingPoint::AmountOf(int64_t volume) const {
    const int64_t divisor = 100 * config_.priceScale;
    return (volume * sale_.price * config_.amountScale * 2 + divisor) / (2 * divisor);
}

bool FillingPoint::Start(const StartFields& start) {
    if (initialisationRequested_) return false;  // not set up since the power came back
    switch (state_) {
        case PointState::Delivering:
        case PointState::Finished:
        case PointState::Off: return false;
        default: break;
    }
    const bool amountPreset = start.kind == '2' && start.preset > 0;
    const int64_t price = start.price != 0 ? start.price : config_.prices[start.grade];
    if (amountPreset && price == 0) return false;  // no volume reaches the amount
    started_ = SaleFigures{};
    started_.grade = start.grade;
    started_.price = price;
    stopsAtAmount_ = amountPreset;
    presetAmount_ = amountPreset ? start.preset : 0;
    if (amountPreset) {
        const int64_t perLitre = price * config_.amountScale;
        limit_ = (start.preset * 100 * config_.priceScale * 2 + perLitre) / (2 * perLitre);
    } else {
        limit_ = (start.kind == '1' && start.preset > 0) ? start.preset : config_.tankCapacity;
    }
    limit_ = std::min(limit_, kMaxDeliveryVolume);
    state_ = PointState::Authorised;
    lastStart_ = start;
    ++startsCarriedOut_;
    return true;
}

void FillingPoint::SwitchPoint(bool on) {
    if (on) {
        if (state_ == PointState::Off) state_ = lifted_ != 0 ? PointState::NozzleUp : PointState::Idle;
    } else {
        state_ = state_ == PointState::Delivering ? PointState::Finished : PointState::Off;
    }
}

void FillingPoint::Log(const Request& request) {
    received_.push_back(request);
    if (received_.size() > kMaxReceivedLog) received_.pop_front();
}

void FillingPoint::Handle(const Request& request) {
    Log(request);
    const char channel = request.channel;
    switch (request.kind) {
        case RequestKind::Status:
        case RequestKind::StatusFollowUp: QueueReport(); return;
        case RequestKind::Start:
            if (!Start(request.start)) {
                outbox_.push_back(CodeAnswer(channel, kRefusalCode));
                return;
            }
            outbox_.push_back(Acknowledgement(channel, NextSequence()));
            QueueReport();
            return;
        case RequestKind::DataTransaction:
            outbox_.push_back(DataTransactionReply(channel, NextSequence(), sale_, StatusChar()));
            if (state_ == PointState::Ended || state_ == PointState::Cancelled) state_ = PointState::Idle;
            ReportChange();
            return;
        case RequestKind::Counter:
            outbox_.push_back(CounterReply(channel, NextSequence(), volumeTotals_, amountTotals_));
            return;
        case RequestKind::PointControl:
            outbox_.push_back(Acknowledgement(channel, NextSequence()));
            SwitchPoint(request.switchOn);
            ReportChange();
            return;
        case RequestKind::Initialisation:
            outbox_.push_back(Acknowledgement(channel, NextSequence()));
            initialisationRequested_ = false;
            ReportChange();
            return;
        case RequestKind::Identification: outbox_.push_back(IdentificationReply(channel, NextSequence())); return;
        case RequestKind::MasterReset:
            masterResetRequested_ = false;
            sequence_ = '0';
            QueueReport();
            return;
        case RequestKind::ResetConfirmation:
            resetRequested_ = false;
            sequence_ = '0';
            QueueReport();
            return;
        case RequestKind::Invalid:
        case RequestKind::Unknown: outbox_.push_back(CodeAnswer(channel, kRefusalCode)); return;
    }
}

void FillingPoint::Refuse(const Request& request) {
    Log(request);
    outbox_.push_back(CodeAnswer(request.channel, kRefusalCode));
}

void FillingPoint::RequestReset() {
    resetRequested_ = true;
    outbox_.push_back(CodeAnswer(kReportChannel, kResetRequestCode));
}

void FillingPoint::RequestMasterReset() {
    masterResetRequested_ = true;
    QueueReport();
}

void FillingPoint::RequestInitialisation() {
    initialisationRequested_ = true;
    ReportChange();
}

void FillingPoint::QueueStatusReport(char status, int digit) {
    outbox_.push_back(StatusReport(masterResetRequested_ ? kReportChannel : '0', NextSequence(), status, digit));
}

std::vector<std::string> FillingPoint::TakeOutbox() {
    std::vector<std::string> messages;
    messages.swap(outbox_);
    return messages;
}

int64_t FillingPoint::VolumeTotal(int grade) const { return ValidGrade(grade) ? volumeTotals_[grade] : 0; }

int64_t FillingPoint::AmountTotal(int grade) const { return ValidGrade(grade) ? amountTotals_[grade] : 0; }

void FillingPoint::SetTotals(int grade, int64_t volume, int64_t amount) {
    if (!ValidGrade(grade)) return;
    volumeTotals_[grade] = volume;
    amountTotals_[grade] = amount;
}

char FillingPoint::NextSequence() {
    const char current = sequence_;
    sequence_ = current == '0' ? '1' : '0';
    return current;
}

void FillingPoint::QueueReport() {
    reportedStatus_ = StatusChar();
    reportedDigit_ = StatusDigit();
    QueueStatusReport(reportedStatus_, reportedDigit_);
}

void FillingPoint::ReportChange() {
    if (StatusChar() != reportedStatus_ || StatusDigit() != reportedDigit_) QueueReport();
}

}  // namespace sbsim
