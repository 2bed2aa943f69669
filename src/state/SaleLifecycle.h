// What the driver believes about one filling point's sale: the previous sale the display shows, the latest START,
// the stage the delivery reached and the figures kept of it. It is one value, moved only by the named events
// below through NextSale(); the operations read it and tell it what happened, and nothing else writes it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Lock.h"

namespace sb {

enum class StartStage : uint8_t {
    None,        // no START since the driver started, or its authorisation is gone (the dispenser re-initialised)
    Authorised,  // the dispenser took the latest START
    Failed,      // the latest START raised "Can't Start", or the dispenser refused it later
};

enum class DeliveryStage : uint8_t {
    Closed,    // nothing open: the display shows the reference, or a delivery that no START of this driver opened
    Awaiting,  // a START since: the display shows the reference until a delivery begins
    Began,     // the dispenser reported delivering, or figures other than the reference
    Finished,  // the dispenser reported the delivery over and its figures were read then
};

struct Sale {
    // The previous sale: the final volume last handed over or taken as final, which the display shows until a
    // delivery begins. Unknown when the driver started and whenever the display may have moved on unseen.
    double reference = 0;
    bool referenceKnown = false;
    bool displayUnread = false;  // the latest final read could not read the display
    DeliveryStage stage = DeliveryStage::Closed;
    bool finishReported = false;  // the dispenser reported a finished delivery since the latest START
    bool lockWaited = false;      // slot 9 looked again after the START and still saw the previous sale
    bool cut = false;             // the dispenser re-initialised, or the display went back, while a delivery was open

    StartStage start = StartStage::None;
    uint8_t grade = 1;       // the grade of the START last tried, or the one the dispenser reports delivering
    uint8_t startGrade = 0;  // the grade and price (price units) the latest authorising START carried; 0: none
    int32_t startPrice = 0;
    std::optional<int64_t> expectedFinal;  // hundredths of a litre its preset ends at; none for a fill-up
    uint8_t startHold = 0;                 // reports of a lifted nozzle that still show the point started
    uint8_t stateBeforeStart = 0xC0;       // the state code a refused START leaves the point in
    bool startLatest = false;              // the START is the latest message the point was sent
    bool startRefused = false;             // a refusal came meanwhile: the started state ends at the next poll

    double volume = 0;  // the kept volume (CurVolume), with the bookkeeping's small steps
    double steps = 0;   // those steps since figures were last kept
    double amount = 0;  // the kept amount (CurAmount)
};

enum class SaleEvent : uint8_t {
    StartPrepared,      // START is about to be sent: the kept figures go, its grade is the sale's (grade)
    StartDelivered,     // the dispenser took the START message (grade, price, expectedFinal, state)
    StartFailed,        // START raised "Can't Start": nothing authorised, and the previous sale stays locked
    RefusalSeen,        // a refusal came while only listening, or was drained ahead of a message
    MessageDelivered,   // another message reached the point: a later refusal is that message's
    StartRefusalTaken,  // a poll took the START's late refusal: the started state ends
    StatusReported,     // a status report was decoded (startHold, began, grade)
    FinishReported,     // a finished status, before its figures are read: the kept volume steps down (grade)
    FinishedTaken,      // the finished status's figures were read, or not (usable)
    FiguresRead,        // plausible figures from the dispenser (volume, amount)
    MemoryAnswered,     // the kept figures answered without asking: the kept volume steps down
    KeptCleared,        // slot 9 looks again: nothing kept
    LockWaited,         // slot 9 waited once for the previous sale to go
    FinalReadStarts,    // slot 6 begins: the kept volume steps up, the display unread until it is read
    FinalRead,          // slot 6 read (usable, fromMemory, previousSale, volume)
    Reinitialised,      // the dispenser asked to be initialised (a power cycle): its authorisation is gone
};

// What an event carries; each event reads only its own fields.
struct SaleFacts {
    uint8_t grade = 0;  // StartPrepared, StartDelivered; the report's digit for StatusReported, FinishReported
    int32_t price = 0;
    std::optional<int64_t> expectedFinal;
    uint8_t state = 0;                 // StartDelivered: the point's state code before the START
    std::optional<uint8_t> startHold;  // StatusReported: the hold once the report is taken; none where it stays
    bool began = false;                // StatusReported: the report shows a delivery under way
    double volume = 0;
    double amount = 0;
    bool usable = false;  // FinishedTaken, FinalRead: figures came
    bool fromMemory = false;
    bool previousSale = false;
};

Sale NextSale(const Sale& now, SaleEvent event, const SaleFacts& facts = {});

// Volumes closer than a hundredth of a litre read the same on the wire.
bool SameVolume(double a, double b);

// True while figures may still be the previous sale's: a START since, no delivery shown to begin, and the volume
// equal to the reference.
bool IsPreviousSale(const Sale& sale, double volume);

// The kept volume as the dispenser gave it, without the bookkeeping's steps.
inline double ShownVolume(const Sale& sale) { return sale.volume - sale.steps; }

// Whether a read may answer from the kept figures without asking: they are known to be final, at the preset of the
// START that authorised the delivery (each answer steps the kept volume down, so that the fourth asks the dispenser
// again). Figures read at a finished report are not: the report may be a stale one while the delivery still runs.
bool MayAnswerFromMemory(const Sale& sale);

// The state code a point shows once the dispenser refused its latest START: the state the START replaced, or idle
// when that was itself an earlier START's.
uint8_t RefusedStartState(const Sale& sale);

// A point's sale, read and moved under a lock of its own: a poll of one host thread may move it while another
// thread's read looks at it. The lock is a leaf: nothing else is taken or called while it is held.
class SaleBook {
public:
    Sale Now() const;
    Sale Apply(SaleEvent event, const SaleFacts& facts = {});

private:
    mutable platform::RecursiveLock lock_;
    Sale sale_;
};

}  // namespace sb
