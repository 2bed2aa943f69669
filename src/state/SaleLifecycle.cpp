#include "state/SaleLifecycle.h"

#include <cmath>

#include "state/PositionTable.h"

namespace sb {
namespace {

constexpr uint8_t kStartHoldPolls = 6;
constexpr uint8_t kStartedState = 0xE8;
constexpr uint8_t kIdleState = 0xC0;
constexpr double kMemoryAnswerStep = 0.002;    // each answer from memory: the fourth call asks again
constexpr double kFinalReadStep = 0.001;       // each final read raises it first: a longer run from memory
constexpr double kFinishedStatusStep = 0.003;  // a finished status lowers it before its read
constexpr double kHalfHundredth = 0.005;

void Keep(Sale& sale, double volume, double amount) {
    sale.volume = volume;
    sale.steps = 0;
    sale.amount = amount;
}

void Step(Sale& sale, double step) {
    sale.volume += step;
    sale.steps += step;
}

// A START opens a delivery: the display shows the reference until it begins. The reference is unknown when the
// display may have moved on from it unseen.
void Open(Sale& sale) {
    if (sale.displayUnread || sale.cut) sale.referenceKnown = false;
    sale.displayUnread = false;
    sale.cut = false;
    sale.stage = DeliveryStage::Awaiting;
    sale.lockWaited = false;
    sale.finishReported = false;
}

void EndStarted(Sale& sale) {
    sale.start = StartStage::Failed;
    sale.startHold = 0;
    sale.startRefused = false;
}

// The grade the dispenser reports delivering is the sale's when no START of this driver's authorised it (the driver
// started during the delivery, or the START's authorisation is gone).
void TakeReportedGrade(Sale& sale, uint8_t grade) {
    if (sale.start != StartStage::Authorised && IsGrade(grade)) sale.grade = grade;
}

void TakeFigures(Sale& sale, const SaleFacts& facts) {
    if (sale.stage == DeliveryStage::Awaiting && !sale.referenceKnown) {
        // The first figures after a START whose display the driver never read stand in for the previous sale.
        sale.reference = facts.volume;
        sale.referenceKnown = true;
    }
    if (IsPreviousSale(sale, facts.volume)) return;
    const bool open = sale.stage == DeliveryStage::Began || sale.stage == DeliveryStage::Finished;
    if (open && facts.volume < ShownVolume(sale) - kHalfHundredth) {
        // A delivery's volume never goes back: the display was cleared (a power cycle not yet reported) or shows
        // another sale. The delivery's own figures are no longer known from it.
        sale.cut = true;
        return;
    }
    Keep(sale, facts.volume, facts.amount);
    if (!SameVolume(sale.reference, facts.volume)) {
        sale.referenceKnown = false;
        if (sale.stage == DeliveryStage::Awaiting) sale.stage = DeliveryStage::Began;
    }
}

void TakeFinished(Sale& sale, const SaleFacts& facts) {
    if (sale.stage == DeliveryStage::Awaiting) {
        Keep(sale, 0, sale.amount);  // the previous sale's figures are not this delivery's
        return;
    }
    sale.reference = ShownVolume(sale);
    sale.referenceKnown = facts.usable;
    if (facts.usable) sale.stage = DeliveryStage::Finished;
}

void TakeFinalRead(Sale& sale, const SaleFacts& facts) {
    sale.displayUnread = !facts.usable && !facts.previousSale;
    if (facts.previousSale || IsPreviousSale(sale, facts.volume)) return;
    // Unread figures of a delivery that never showed it began close nothing: the previous sale stays the
    // reference, so a second final read cannot take it for this one's.
    if (!facts.usable && sale.stage == DeliveryStage::Awaiting) return;
    sale.reference = facts.volume;
    // An answer from memory tells nothing new of the display: the reference stays as known as it was.
    if (!facts.fromMemory) sale.referenceKnown = facts.usable;
    sale.stage = DeliveryStage::Closed;
    sale.cut = false;
}

void Reinitialise(Sale& sale) {
    sale.start = StartStage::None;
    sale.startHold = 0;
    sale.startLatest = false;
    sale.startRefused = false;
    // The dispenser may have cleared its display: an open delivery is cut, and the reference may be gone.
    if (sale.stage == DeliveryStage::Closed) sale.referenceKnown = false;
    else sale.cut = true;
}

}  // namespace

Sale NextSale(const Sale& now, SaleEvent event, const SaleFacts& facts) {
    Sale sale = now;
    switch (event) {
        case SaleEvent::StartPrepared:
            Keep(sale, 0, sale.amount);
            sale.grade = facts.grade;
            break;
        case SaleEvent::StartDelivered:
            Keep(sale, 0, 0);
            Open(sale);
            sale.start = StartStage::Authorised;
            sale.grade = facts.grade;
            sale.startGrade = facts.grade;
            sale.startPrice = facts.price;
            sale.expectedFinal = facts.expectedFinal;
            sale.stateBeforeStart = facts.state;
            sale.startHold = kStartHoldPolls;
            sale.startLatest = true;
            sale.startRefused = false;
            break;
        case SaleEvent::StartFailed:
            // Whatever became of the START, no reader hands over the previous sale for it; a delivery still open
            // (a START refused while it runs) stays readable.
            if (sale.stage == DeliveryStage::Closed) Open(sale);
            EndStarted(sale);
            break;
        case SaleEvent::RefusalSeen:
            if (sale.startLatest) sale.startRefused = true;
            break;
        case SaleEvent::MessageDelivered: sale.startLatest = false; break;
        case SaleEvent::StartRefusalTaken: EndStarted(sale); break;
        case SaleEvent::StatusReported:
            if (facts.startHold) sale.startHold = *facts.startHold;
            if (facts.began) {
                // The display moved on from the reference: a delivery under way.
                sale.referenceKnown = false;
                sale.stage = DeliveryStage::Began;
                TakeReportedGrade(sale, facts.grade);
            }
            break;
        case SaleEvent::FinishReported:
            TakeReportedGrade(sale, facts.grade);
            sale.finishReported = true;
            Step(sale, -kFinishedStatusStep);
            break;
        case SaleEvent::FinishedTaken: TakeFinished(sale, facts); break;
        case SaleEvent::FiguresRead: TakeFigures(sale, facts); break;
        case SaleEvent::MemoryAnswered: Step(sale, -kMemoryAnswerStep); break;
        case SaleEvent::KeptCleared: Keep(sale, 0, sale.amount); break;
        case SaleEvent::LockWaited: sale.lockWaited = true; break;
        case SaleEvent::FinalReadStarts:
            Step(sale, kFinalReadStep);
            sale.displayUnread = true;  // until the read shows the display: a read that fails raises past it
            break;
        case SaleEvent::FinalRead: TakeFinalRead(sale, facts); break;
        case SaleEvent::Reinitialised: Reinitialise(sale); break;
    }
    return sale;
}

bool SameVolume(double a, double b) { return std::fabs(static_cast<long double>(a) - b) < 0.01L; }

bool IsPreviousSale(const Sale& sale, double volume) {
    return sale.stage == DeliveryStage::Awaiting && SameVolume(sale.reference, volume);
}

bool MayAnswerFromMemory(const Sale& sale) {
    if (sale.start != StartStage::Authorised || !sale.expectedFinal) return false;
    return static_cast<long double>(*sale.expectedFinal) / 100 - sale.volume <= 0.005L;
}

uint8_t RefusedStartState(const Sale& sale) {
    const uint8_t before = sale.stateBeforeStart;
    const bool startedBefore = before >= kStartedState && before <= kStartedState + kGradeCount;
    return startedBefore ? kIdleState : before;
}

Sale SaleBook::Now() const {
    platform::LockGuard hold(lock_);
    return sale_;
}

Sale SaleBook::Apply(SaleEvent event, const SaleFacts& facts) {
    platform::LockGuard hold(lock_);
    sale_ = NextSale(sale_, event, facts);
    return sale_;
}

}  // namespace sb
