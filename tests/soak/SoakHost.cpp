#include "soak/SoakHost.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <sstream>

namespace soak {
namespace {

constexpr int kGrades = 4;
constexpr int kMaxPolls = 80;  // a 5.00 l delivery takes 20, a fill-up up to 60
constexpr int kWalkAwayPolls = 4;
constexpr int kFinishPolls = 10;  // a host waiting for the finished report gives up after these
// Polls in a row after a power cycle took the authorisation that show the point started for good (the driver
// keeps "started" for a few reports of a lifted nozzle).
constexpr unsigned kUnpoweredPolls = 20;
constexpr unsigned kOneFaultIn = 12;  // chance of a fault at each step of a delivery
// START meets a fault more often, and a longer one, so that some STARTs are lost on the line: those must be told.
constexpr unsigned kStartFaultIn = 4;
constexpr unsigned kStartFaultLength = 5;
constexpr unsigned kWalkAwayIn = 6;  // a customer in six walks away without lifting the nozzle
constexpr unsigned kFillUpIn = 3;
constexpr unsigned kEarlyHangUpIn = 8;
constexpr unsigned kPriceChangeIn = 8;
constexpr unsigned kRestartIn = 40;
constexpr unsigned kPowerCycleIn = 40;
constexpr size_t kExamplesPerHost = 2;
constexpr size_t kTraceLines = 16384;  // three deliveries of a host that reads the running figures three times a poll
constexpr double kPrice = 1.46;        // the amount preset 7.30 buys 5.00 l, as two of the volume presets do
constexpr double kLargePrice = 55.00;  // a 200 l fill-up costs 11,000.00: wider than six digits at SDec 100
constexpr double kPriceStep = 0.06;
constexpr int64_t kWidestAmount = 999999;  // in the dispenser's amount units

// Drawn so that deliveries of equal volume follow each other often.
struct Preset {
    double volume;
    double amount;
};
constexpr Preset kPresets[] = {{2.00, 0}, {5.00, 0}, {5.00, 0}, {0, 7.30}};

const char* const kFaultNames[] = {"silence", "nak",        "wait", "refusal",
                                   "babble",  "corruption", "port", "unseen corruption"};
const char* const kStateNames[] = {"idle",     "nozzle up", "authorised", "delivering",
                                   "finished", "ended",     "cancelled",  "off"};

bool Finished(uint32_t code) { return code >= 0xD0 && code <= 0xD6; }
bool Delivering(uint32_t code) { return code >= 0xD8 && code <= 0xDE; }
bool Started(uint32_t code) { return code >= 0xE9 && code <= 0xEE; }
bool NotStarted(uint32_t code) { return code == 0xC0 || (code >= 0xE0 && code <= 0xE6); }  // idle, or lifted
const char* Failed(bool failed) { return failed ? ", failed" : ""; }

}  // namespace

bool ParseWorld(const std::string& text, World* world) {
    World parsed;
    parsed.name = text.empty() ? "classic" : text;
    if (text == "wide") {
        parsed.fillUps = parsed.priceChanges = parsed.restarts = parsed.powerCycles = parsed.wideAmounts = true;
    } else if (!text.empty() && text != "classic") {
        std::istringstream words(text);
        for (std::string word; std::getline(words, word, '+');) {
            if (word == "fill-ups") parsed.fillUps = true;
            else if (word == "prices") parsed.priceChanges = true;
            else if (word == "restarts") parsed.restarts = true;
            else if (word == "power") parsed.powerCycles = true;
            else if (word == "amounts") parsed.wideAmounts = parsed.fillUps = true;
            else return false;
        }
    }
    *world = parsed;
    return true;
}

PointSetup SetupOf(const World& world, uint32_t point) {
    PointSetup setup;
    setup.config.flowPerPoll = 25;
    setup.config.tankCapacity = 1200;  // a fill-up of 12 l: 48 polls
    setup.price = kPrice;
    if (world.wideAmounts && point % 8 == 0) {
        setup.config.flowPerPoll = 500;
        setup.config.tankCapacity = 30000;  // 300 l at 55.00: 16,500.00
        setup.price = kLargePrice;
        if (point % 16 == 0) setup.amountScale = 10;  // the field carries 99,999.9
    }
    setup.config.amountScale = setup.amountScale;
    return setup;
}

void AttachDispensers(sbsim::SimPortService& lines, const World& world) {
    for (uint32_t point = 1; point <= kPoints; ++point) lines.Attach(point, SetupOf(world, point).config);
}

SaleHost::SaleHost(const Target& target, uint32_t point, const World& world, const PointSetup& setup, uint32_t seed,
                   bool randomFaults)
    : target_(target),
      slots_(target.slots),
      object_(target.object),
      point_(point),
      world_(world),
      setup_(setup),
      randomFaults_(randomFaults),
      trace_(kTraceLines) {
    // Each point's draws depend on the seed and the point together, so that no two seeds share a point's draws.
    std::seed_seq draws{seed, point};
    random_.seed(draws);
    // Even points only poll the status; odd ones read the running figures, every fourth three times a poll.
    habits_.runningReads = point % 2 == 0 ? 0 : point % 4 == 1 ? 3 : 1;
    habits_.retriesFinal = point % 3 == 0;
    habits_.waitsForFinish = world.fillUps && (point / 2) % 2 == 1;
    habits_.cancelsUnused = world.walkAways && point % 5 < 2;
    prices_.fill(setup_.price);
}

void SaleHost::Open() {
    Call([&] { vm().OpenLine(object_, point_); });
    Call([&] { vm().PollStatus(object_, point_, 0); });
}

// A failure of the driver tells the host that the delivery went wrong; true when the call failed.
bool SaleHost::Call(const std::function<void()>& call) {
    const uint64_t before = target_.clockMs();
    const bool failed = target_.failed(call);
    if (failed) told_ = true;
    counts_.longestCallMs = std::max(counts_.longestCallMs, target_.clockMs() - before);
    return failed;
}

// A step of the host's, or what it saw of the dispenser, into the trace.
void SaleHost::Step(const char* format, ...) {
    char text[200];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    trace_.Add({"> ", text});
}

// The dispenser as the host sees it at the forecourt: its state and its display.
void SaleHost::StepDispenser(const char* when) {
    AtDispenser([&](sbsim::Dispenser& dispenser) {
        const sbsim::SaleFigures& shown = dispenser.point().sale();
        Step("dispenser %s: %s, display %.2f l/%.2f grade %d", when,
             kStateNames[static_cast<int>(dispenser.point().state())], static_cast<double>(shown.volume) / 100,
             static_cast<double>(shown.amount) / setup_.amountScale, shown.grade);
    });
}

void SaleHost::MaybeFault(unsigned oneIn, unsigned length) {
    if (!randomFaults_ || Draw(oneIn) != 0) return;
    const auto kind = static_cast<Fault>(Draw(kFaults));
    if (kind == kUnseenCorruption && Draw(4) != 0) return;  // rarer: a delivery it touches is not compared
    ++counts_.faults[kind];
    faultsDrawn_ += " " + std::string(kFaultNames[kind]);
    if (kind == kPortFailure) {
        const unsigned exchanges = 1 + Draw(2);
        Step("fault: port fails the next %u exchanges, on whichever lines", exchanges);
        return target_.failPort(exchanges);  // whichever line comes next
    }
    const unsigned n = (1 + Draw(4)) * length;
    Step("fault: %s, %u", kFaultNames[kind], n);
    sbsim::Corruption corruption{Draw(21), static_cast<uint8_t>(1u << Draw(7))};
    if (kind == kUnseenCorruption) corruption.secondIndex = (corruption.dataIndex + 1 + Draw(16)) % 18;
    AtDispenser([&](sbsim::Dispenser& dispenser) {
        sbsim::FaultScript& faults = dispenser.faults();
        switch (kind) {
            case kSilence: faults.SilenceExchanges(2 * n); break;
            case kNaks: faults.NakDataBlocks(n); break;
            case kWaits: faults.AnswerPollsWithWait(n); break;
            case kRefusal: faults.RefuseRequests(1); break;
            case kBabble:  // a wait answer to every transmission, for a while
                for (unsigned i = 0; i < 100 * n; ++i) faults.ScriptAnswer(sbsim::FrameBlock("0180", true));
                break;
            default: faults.CorruptNextBlock(corruption); break;
        }
    });
}

SalePlan SaleHost::DrawPlan() {
    SalePlan plan;
    plan.grade = 1 + static_cast<int>(Draw(kGrades));
    const bool fillUp = world_.fillUps && Draw(kFillUpIn) == 0;
    const Preset preset = kPresets[Draw(std::size(kPresets))];
    if (!fillUp) {
        plan.volumePreset = preset.volume;
        plan.amountPreset = preset.amount;
    }
    plan.walkAway = world_.walkAways && Draw(kWalkAwayIn) == 0;
    // The next customer finds the pump still authorised and lifts before the host has sent START.
    plan.liftsBeforeStart = leftAuthorised_ && !plan.walkAway && Draw(2) == 0;
    if (world_.fillUps && Draw(kEarlyHangUpIn) == 0) plan.hangUpAtPoll = 3 + static_cast<int>(Draw(20));
    if (world_.priceChanges && Draw(kPriceChangeIn) == 0) plan.priceChangeAtPoll = static_cast<int>(Draw(30));
    if (world_.restarts && target_.restart && Draw(kRestartIn) == 0)
        plan.restart = static_cast<Stage>(1 + Draw(kStages));
    if (world_.powerCycles && Draw(kPowerCycleIn) == 0) {
        plan.powerCycle = static_cast<Stage>(1 + Draw(kStages));
        plan.displayReset = Draw(2) == 0;
    }
    return plan;
}

SaleHost::Totals SaleHost::TotalsNow() {
    Totals totals;
    AtDispenser([&](sbsim::Dispenser& dispenser) {
        for (int grade = 1; grade <= sbsim::kMaxGrade; ++grade) {
            totals.volume += dispenser.point().VolumeTotal(grade);
            totals.amount += dispenser.point().AmountTotal(grade);
        }
        totals.unseen = dispenser.faults().unseenCorruptionsSent();
        totals.starts = dispenser.point().startsCarriedOut();
    });
    return totals;
}

void SaleHost::SetPrice(int grade, double price) {
    prices_[static_cast<size_t>(grade)] = price;
    vm().SetPrice(object_, point_, 0, grade, 0, 0, price);
}

// A host that restarts makes a new driver object, opens its line, sets its prices and polls, as at its start. It
// still knows the sale it started: it goes on with it.
void SaleHost::Restart() {
    Step("host restarts: a new driver object on the same dispenser");
    object_ = target_.restart();
    slots_ = object_->vtbl;
    Open();
    for (int grade = 1; grade <= kGrades; ++grade) SetPrice(grade, prices_[static_cast<size_t>(grade)]);
}

void SaleHost::PowerCycle(const SalePlan& plan) {
    Step("the dispenser loses power and comes back, display %s", plan.displayReset ? "reset" : "kept");
    AtDispenser([&](sbsim::Dispenser& dispenser) {
        dispenser.PowerCycle(plan.displayReset ? sbsim::DisplayAfterPower::Reset : sbsim::DisplayAfterPower::Kept);
    });
    if (plan.displayReset) ++counts_.events[kDisplayReset];
}

void SaleHost::AtStage(Stage stage, const SalePlan& plan) {
    const int index = static_cast<int>(stage) - 1;
    // A new driver object knows nothing of the START, and a power cycle ends it: what they show is judged apart.
    if (plan.restart == stage || plan.powerCycle == stage) driverOrPowerChanged_ = true;
    if (plan.restart == stage) {
        ++counts_.events[static_cast<size_t>(kRestart + index)];
        Restart();
    }
    if (plan.powerCycle == stage) {
        ++counts_.events[static_cast<size_t>(kPowerCycle + index)];
        PowerCycle(plan);
    }
}

Outcome SaleHost::Deliver(unsigned number, const SalePlan& plan) {
    const int grade = plan.grade;
    const bool fillUp = plan.volumePreset <= 0 && plan.amountPreset <= 0;
    told_ = false;
    driverOrPowerChanged_ = false;
    faultsDrawn_.clear();
    trace_.BeginDelivery();
    ++counts_.events[fillUp ? kFillUp : plan.volumePreset > 0 ? kVolumePreset : kAmountPreset];
    Step("delivery %u: grade %d at %.2f, %s %.2f", number, grade, prices_[static_cast<size_t>(grade)],
         fillUp                  ? "fill-up"
         : plan.volumePreset > 0 ? "volume preset"
                                 : "amount preset",
         plan.volumePreset > 0 ? plan.volumePreset : plan.amountPreset);
    const Totals before = TotalsNow();
    AtStage(Stage::kBeforeStart, plan);
    if (plan.liftsBeforeStart) {
        ++counts_.events[kLiftBeforeStart];
        Step("the customer lifts the nozzle before START");
        AtDispenser([&](sbsim::Dispenser& dispenser) { dispenser.point().LiftNozzle(grade); });
    }
    SetPrice(grade, prices_[static_cast<size_t>(grade)]);
    if (plan.amountPreset > 0) vm().SetAmountPreset(object_, point_, 0, 0, 0, plan.amountPreset);
    else vm().SetVolumePreset(object_, point_, 0, 0, 0, plan.volumePreset);
    MaybeFault(kStartFaultIn, kStartFaultLength);
    DeliveryFacts facts;
    facts.startTold = Call([&] { vm().Start(object_, point_, 0, grade, 1); });
    Step("START%s", Failed(facts.startTold));
    AtDispenser([&](sbsim::Dispenser& dispenser) {
        facts.startCarriedOut = dispenser.point().startsCarriedOut() != before.starts;
        facts.authorisedAfterStart =
            facts.startCarriedOut && dispenser.point().state() == sbsim::PointState::Authorised;
    });
    AtStage(Stage::kAfterStart, plan);
    const bool unpowered = plan.powerCycle == Stage::kAfterStart && !plan.liftsBeforeStart;
    if (plan.walkAway) ++counts_.events[kWalkAway];
    StepDispenser(plan.walkAway ? "after START, the customer walks away" : "after START, the nozzle is lifted");
    if (!plan.walkAway) AtDispenser([&](sbsim::Dispenser& dispenser) { dispenser.point().LiftNozzle(grade); });

    uint32_t code = 0;
    // Every poll that reached the dispenser after a START that returned showed the point started. A poll that
    // reached nothing returns the code last known and says so by its line result, and one that failed returns
    // none: they show nothing.
    facts.shownStarted = !facts.startTold;
    unsigned startedRun = 0;  // reached polls in a row, the latest last, that showed the point started
    bool sawDelivering = false;
    bool midDeliveryDone = false;
    const int polls = plan.walkAway ? kWalkAwayPolls : kMaxPolls;
    const unsigned runningReads = facts.startTold && !target_.readsAfterToldStart ? 0 : habits_.runningReads;
    for (int poll = 0; poll < polls; ++poll) {
        if (poll == plan.hangUpAtPoll && !plan.walkAway) {
            ++counts_.events[kEarlyHangUp];
            Step("the customer hangs up early");
            AtDispenser([&](sbsim::Dispenser& dispenser) { dispenser.point().HangNozzle(); });
        }
        if (poll == plan.priceChangeAtPoll) {
            ++counts_.events[kPriceChanged];
            const double next =
                prices_[static_cast<size_t>(grade)] == setup_.price ? setup_.price + kPriceStep : setup_.price;
            Step("the host sets grade %d's next price, %.2f", grade, next);
            SetPrice(grade, next);
        }
        if (!midDeliveryDone) {
            bool delivering = false;
            AtDispenser([&](sbsim::Dispenser& dispenser) {
                delivering = dispenser.point().state() == sbsim::PointState::Delivering &&
                             dispenser.point().sale().volume >= 100;
            });
            if (delivering) {
                midDeliveryDone = true;
                AtStage(Stage::kMidDelivery, plan);
            }
        }
        MaybeFault(kOneFaultIn);
        const bool failed = Call([&] { code = vm().PollStatus(object_, point_, 0); });
        const uint32_t pollLine = vm().GetLineResult(object_, point_);
        Step("poll: %02X, line result %u%s", static_cast<unsigned>(code), static_cast<unsigned>(pollLine),
             Failed(failed));
        StepDispenser("after the poll");
        const bool shown = !failed && pollLine == 1;  // a failed poll returned no code at all
        if (shown) facts.reached = true;
        if (shown && !Started(code)) facts.shownStarted = false;
        if (shown) startedRun = Started(code) ? startedRun + 1 : 0;
        if (shown && !facts.startTold && facts.startCarriedOut && !driverOrPowerChanged_ && NotStarted(code)) {
            AtDispenser([&](sbsim::Dispenser& dispenser) {
                const sbsim::FillingPoint& point = dispenser.point();
                if (point.state() == sbsim::PointState::Authorised && point.startsCarriedOut() != before.starts)
                    facts.shownNotStarted = true;
            });
        }
        for (unsigned read = 0; read < runningReads; ++read) {
            double running = 0;
            const bool readFailed = Call([&] { vm().CurrentDeliveryData(object_, point_, 0, &running); });
            Step("running: %.2f%s", running, Failed(readFailed));
        }
        if (!shown) continue;
        // Delivering followed by anything but delivering ends the sale: the host reads the final figures then.
        if (Finished(code) || (sawDelivering && !Delivering(code))) break;
        sawDelivering = sawDelivering || Delivering(code);
    }
    AtDispenser([&](sbsim::Dispenser& dispenser) { dispenser.point().HangNozzle(); });
    facts.unpoweredShownStarted = unpowered && !plan.walkAway && startedRun >= kUnpoweredPolls;
    if (habits_.waitsForFinish && !plan.walkAway && !Finished(code)) {
        ++counts_.events[kWaitedForFinish];
        for (int poll = 0; poll < kFinishPolls && !Finished(code); ++poll) {
            MaybeFault(kOneFaultIn);
            const bool failed = Call([&] { code = vm().PollStatus(object_, point_, 0); });
            Step("waiting for the finish, poll: %02X%s", static_cast<unsigned>(code), Failed(failed));
        }
    }
    if (plan.walkAway && habits_.cancelsUnused) {
        ++counts_.events[kTakenBack];
        Step("the host takes the authorisation back: the point off and on");
        Call([&] { vm().FillingPointControl(object_, point_, 0, 0); });
        Call([&] { vm().FillingPointControl(object_, point_, 0, 1); });
    }
    AtStage(Stage::kAfterFinish, plan);
    MaybeFault(kOneFaultIn);
    double volume = 0, amount = 0;
    bool finalFailed = false;
    const auto finalRead = [&] {
        finalFailed = Call([&] { vm().FinalDeliveryData(object_, point_, 0, &volume, &amount); });
        facts.lineResult = vm().GetLineResult(object_, point_);
        Step("final: %.2f l/%.2f, line result %u%s", volume, amount, static_cast<unsigned>(facts.lineResult),
             Failed(finalFailed));
    };
    finalRead();
    // A careful host tries the final read once more when it could not be read.
    if (facts.lineResult == 3 && habits_.retriesFinal && !told_) finalRead();

    // The sale the dispenser ran meanwhile is what its totals grew by: nothing when the START was not carried
    // out, although the dispenser still shows the previous sale then.
    const Totals after = TotalsNow();
    AtDispenser([&](sbsim::Dispenser& dispenser) {
        leftAuthorised_ = dispenser.point().state() == sbsim::PointState::Authorised;
    });
    facts.told = told_;
    facts.sold = after.volume - before.volume;
    facts.soldAmount = after.amount - before.amount;
    facts.read = std::llround(volume * 100);
    facts.readAmount = std::llround(amount * setup_.amountScale);
    facts.unseenHere = after.unseen != before.unseen;
    // The lock's reference is the final figures of the latest delivery whose final read gave any: a corruption
    // unseen there counts. A final read that failed or gave none leaves the reference older.
    facts.unseen = after.unseen != unseenBeforeReference_;
    if (!finalFailed && facts.lineResult == 1) unseenBeforeReference_ = before.unseen;
    if (facts.soldAmount > kWidestAmount) ++counts_.events[kWideAmount];
    ++counts_.deliveries;
    if (facts.sold > 0) ++counts_.sales;
    const Outcome outcome = Judge(facts);
    ++counts_.outcomes[outcome];
    if (IsWrong(outcome)) Example(number, plan, facts, outcome, code);
    return outcome;
}

void SaleHost::Example(unsigned number, const SalePlan& plan, const DeliveryFacts& facts, Outcome outcome,
                       uint32_t code) {
    if (counts_.examples.size() >= kExamplesPerHost) return;
    char text[480];
    std::snprintf(text, sizeof text,
                  "%s: point %u (%u running reads a poll%s%s) delivery %u: accepted %.2f l/%.2f, the dispenser "
                  "sold %.2f l/%.2f; START %s%s, last status %02X, faults drawn:%s",
                  kOutcomeNames[outcome], static_cast<unsigned>(point_), habits_.runningReads,
                  habits_.waitsForFinish ? ", waits for the finish" : "",
                  habits_.cancelsUnused ? ", takes unused STARTs back" : "", number,
                  static_cast<double>(facts.read) / 100, static_cast<double>(facts.readAmount) / setup_.amountScale,
                  static_cast<double>(facts.sold) / 100, static_cast<double>(facts.soldAmount) / setup_.amountScale,
                  facts.startCarriedOut ? "carried out" : "not carried out",
                  plan.walkAway ? ", the customer walked away" : "", static_cast<unsigned>(code), faultsDrawn_.c_str());
    std::string example = text;
    if (target_.replayCommand) example += "\n    replay: " + target_.replayCommand(point_, number);
    counts_.examples.push_back(example + "\n" + trace_.Recent());
}

unsigned Counts::Wrong(bool knownStartDenied) const {
    unsigned wrong = 0;
    for (int i = 0; i < kOutcomes; ++i) wrong += IsWrong(static_cast<Outcome>(i)) ? outcomes[i] : 0;
    return knownStartDenied ? wrong - outcomes[kStartDenied] : wrong;
}

void Counts::Add(const Counts& other) {
    for (int i = 0; i < kOutcomes; ++i) outcomes[i] += other.outcomes[i];
    for (int i = 0; i < kFaults; ++i) faults[i] += other.faults[i];
    for (int i = 0; i < kEvents; ++i) events[i] += other.events[i];
    deliveries += other.deliveries;
    sales += other.sales;
    longestCallMs = std::max(longestCallMs, other.longestCallMs);
    digest = digest * 1099511628211u ^ other.digest;
    examples.insert(examples.end(), other.examples.begin(), other.examples.end());
}

std::string Counts::Summary(const char* callTime) const {
    const auto list = [](const char* const* names, const unsigned* values, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (values[i] == 0 && count == kEvents) continue;
            text += (text.empty() ? "" : ", ") + std::string(names[i]) + " " + std::to_string(values[i]);
        }
        return text;
    };
    return std::to_string(deliveries) + " deliveries (" + std::to_string(sales) +
           " sold); faults: " + list(kFaultNames, faults.data(), kFaults) +
           "; events: " + list(kEventNames, events.data(), kEvents) + "; " +
           list(kOutcomeNames, outcomes.data(), kOutcomes) + "; wrong " + std::to_string(Wrong()) + "; longest call " +
           std::to_string(longestCallMs) + " " + callTime;
}

Counts RunHost(const Target& target, uint32_t point, uint32_t seed, unsigned deliveries, const World& world) {
    SaleHost host(target, point, world, SetupOf(world, point), seed, true);
    if (target.traceDriverLines) target.traceDriverLines(&host.trace());
    host.Open();
    for (unsigned n = 1; n <= deliveries; ++n) host.Deliver(n, host.DrawPlan());
    if (target.traceDriverLines) target.traceDriverLines(nullptr);
    return host.counts();
}

}  // namespace soak
