// The dispenser's application: one filling point with its nozzles, the delivery it runs and its totalizers.
// It takes complete messages from the driver and puts the messages it wants to send into an outbox; the link
// station frames and sends them. The state table is in MODEL.md.
#ifndef SBSIM_FILLINGPOINT_H
#define SBSIM_FILLINGPOINT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sim/Replies.h"
#include "sim/Request.h"

namespace sbsim {

enum class PointState { Idle, NozzleUp, Authorised, Delivering, Finished, Ended, Cancelled, Off };

// What the display shows after the power came back: the last figures, or zeros.
enum class DisplayAfterPower { Kept, Reset };

constexpr int kMaxGrade = 6;
// Messages kept in the received log; the oldest go first.
constexpr std::size_t kMaxReceivedLog = 4096;
// Widest volume the data transaction reply carries, in hundredths of a litre.
constexpr int64_t kMaxDeliveryVolume = 999999;

struct PointConfig {
    int nozzles = 4;                                             // nozzles 1..nozzles (at most 6)
    std::array<int, kMaxGrade + 1> grades{0, 1, 2, 3, 4, 5, 6};  // grades[n]: the grade nozzle n carries
    // The dispenser's own price of each grade (price units a litre), for a START that carries price 0.
    std::array<int64_t, kMaxGrade + 1> prices{};
    int64_t flowPerPoll = 10;     // hundredths of a litre a running delivery advances at each poll
    int64_t tankCapacity = 4000;  // hundredths of a litre at which a delivery without preset stops
    int64_t amountScale = 100;    // amount units per money unit (the driver's amount scale)
    int64_t priceScale = 100;     // price units per money unit (the driver's price scale)
    bool linkUnit = false;        // a T10 counting unit answers the unframed counter request
};

class FillingPoint {
public:
    explicit FillingPoint(const PointConfig& config = PointConfig{});

    // Customer actions. Lifting is ignored while a nozzle is up or for a nozzle the point does not have.
    void LiftNozzle(int nozzle);
    void HangNozzle();
    // The attendant switches the point off or on at the dispenser, as FILLING POINT CONTROL does.
    void SwitchAtDispenser(bool on);
    // The dispenser loses power and comes back: a running delivery stops where it was (the totals keep what was
    // delivered), the authorisation and everything waiting to be sent are gone, the sequence digit starts at "0"
    // and the point asks to be initialised. A nozzle still up shows as lifted.
    void PowerCycle(DisplayAfterPower display);

    // One poll of the line: an authorised point whose nozzle is up starts to deliver, a running delivery
    // advances by the flow rate and stops at its limit.
    void Tick();

    // A complete message from the driver.
    void Handle(const Request& request);
    // Answers a message with the refusal code instead of carrying it out.
    void Refuse(const Request& request);

    // Requests the dispenser makes of the driver on demand.
    void RequestReset();                             // queues the "?" answer; cleared by the RESET confirmation
    void RequestMasterReset();                       // reports carry equal characters 0 and 1 until MASTER RESET
    void RequestInitialisation();                    // status character '9' until INITIALISATION
    void QueueStatusReport(char status, int digit);  // one report with any status character

    // Messages to send, oldest first; the caller takes them all.
    std::vector<std::string> TakeOutbox();

    PointState state() const { return state_; }
    char StatusChar() const;
    int StatusDigit() const;
    int liftedNozzle() const { return lifted_; }
    // The figures on the display: the delivery that last began. After a START it still shows the previous sale
    // until the started grade's nozzle is lifted, as dispensers do.
    const SaleFigures& sale() const { return sale_; }
    int64_t VolumeTotal(int grade) const;  // hundredths of a litre
    int64_t AmountTotal(int grade) const;  // amount units
    void SetTotals(int grade, int64_t volume, int64_t amount);
    const std::optional<StartFields>& lastStart() const { return lastStart_; }
    unsigned startsCarriedOut() const { return startsCarriedOut_; }    // STARTs that authorised the point
    const std::deque<Request>& received() const { return received_; }  // the latest messages, oldest first
    bool resetRequested() const { return resetRequested_; }
    bool masterResetRequested() const { return masterResetRequested_; }
    bool initialisationRequested() const { return initialisationRequested_; }
    const PointConfig& config() const { return config_; }
    // The T10 counting unit's 16-bit count: the delivery volume in hundredths of a litre.
    uint16_t LinkUnitCount() const { return static_cast<uint16_t>(sale_.volume & 0xFFFF); }

private:
    bool Start(const StartFields& start);
    void SwitchPoint(bool on);
    void Advance();
    void SetAmount(int64_t amount);
    int64_t AmountOf(int64_t volume) const;
    char NextSequence();
    void QueueReport();
    void ReportChange();
    void Log(const Request& request);

    PointConfig config_;
    PointState state_ = PointState::Idle;
    int lifted_ = 0;
    SaleFigures sale_;
    SaleFigures started_;         // grade and price of the latest START, until its delivery begins
    int64_t limit_ = 0;           // volume at which the running delivery stops
    bool stopsAtAmount_ = false;  // the limit comes from an amount preset
    int64_t presetAmount_ = 0;
    Totals volumeTotals_{};
    Totals amountTotals_{};
    std::optional<StartFields> lastStart_;
    unsigned startsCarriedOut_ = 0;
    std::deque<Request> received_;
    std::vector<std::string> outbox_;
    char sequence_ = '0';
    char reportedStatus_ = '0';
    int reportedDigit_ = 0;
    bool resetRequested_ = false;
    bool masterResetRequested_ = false;
    bool initialisationRequested_ = false;
};

}  // namespace sbsim

#endif
