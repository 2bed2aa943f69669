#include "soak/SoakHost.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <random>

namespace soak {
namespace {

constexpr int kGrades = 4;
constexpr int kMaxPolls = 60;         // a 5.00 l delivery takes 20
constexpr unsigned kOneFaultIn = 12;  // chance of a fault at each step of a delivery
// START meets a fault more often, and a longer one, so that some STARTs are lost on the line: those must be told.
constexpr unsigned kStartFaultIn = 4;
constexpr unsigned kStartFaultLength = 5;
constexpr unsigned kWalkAwayIn = 6;  // a customer in six walks away without lifting the nozzle
constexpr int kWalkAwayPolls = 4;
constexpr size_t kExamplesPerHost = 2;
constexpr size_t kTraceLines = 16384;  // three deliveries of a host that reads the running figures three times a poll
constexpr double kPrice = 1.46;        // the amount preset 7.30 buys 5.00 l, as two of the volume presets do

// Drawn so that deliveries of equal volume follow each other often.
struct Preset {
    double volume;
    double amount;
};
constexpr Preset kPresets[] = {{2.00, 0}, {5.00, 0}, {5.00, 0}, {0, 7.30}};

const char* const kFaultNames[] = {"silence", "nak",        "wait", "refusal",
                                   "babble",  "corruption", "port", "unseen corruption"};
const char* const kOutcomeNames[] = {"accepted",     "told",          "apart",       "lost sale",
                                     "phantom sale", "other figures", "START untold"};
const char* const kStateNames[] = {"idle",     "nozzle up", "authorised", "delivering",
                                   "finished", "ended",     "cancelled",  "off"};

// One host on one point.
class Host {
public:
    // Each point's draws depend on the seed and the point together, so that no two seeds share a point's draws.
    Host(const Target& target, uint32_t point, uint32_t seed) : target_(target), point_(point) {
        std::seed_seq draws{seed, point};
        random_.seed(draws);
    }

    Counts Run(unsigned deliveries) {
        if (target_.traceDriverLines) target_.traceDriverLines(&trace_);
        Call([&] { vm().OpenLine(object(), point_); });
        Call([&] { vm().PollStatus(object(), point_, 0); });
        for (unsigned n = 1; n <= deliveries; ++n) Deliver(n);
        if (target_.traceDriverLines) target_.traceDriverLines(nullptr);
        return counts_;
    }

private:
    const SbDriverVtbl& vm() { return *target_.slots; }
    // Even points only poll the status; odd ones read the running figures, every fourth three times a poll.
    unsigned RunningReads() const { return point_ % 2 == 0 ? 0 : point_ % 4 == 1 ? 3 : 1; }
    SbDriver* object() { return target_.object; }
    void AtDispenser(const std::function<void(sbsim::Dispenser&)>& action) { target_.lines->Act(point_, action); }
    unsigned Draw(unsigned below) { return static_cast<unsigned>(random_() % below); }

    // A failure of the driver tells the host that the delivery went wrong; true when the call failed.
    bool Call(const std::function<void()>& call) {
        const uint64_t before = target_.clockMs();
        const bool failed = target_.failed(call);
        if (failed) told_ = true;
        counts_.longestCallMs = std::max(counts_.longestCallMs, target_.clockMs() - before);
        return failed;
    }

    // A step of the host's, or what it saw of the dispenser, into the trace.
    void Step(const char* format, ...) {
        char text[160];
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
        trace_.Add({"> ", text});
    }
    static const char* Failed(bool failed) { return failed ? ", failed" : ""; }
    // The dispenser as the host sees it at the forecourt: its state and its display.
    void StepDispenser(const char* when) {
        AtDispenser([&](sbsim::Dispenser& dispenser) {
            const sbsim::SaleFigures& shown = dispenser.point().sale();
            Step("dispenser %s: %s, display %.2f l/%.2f grade %d", when,
                 kStateNames[static_cast<int>(dispenser.point().state())], static_cast<double>(shown.volume) / 100,
                 static_cast<double>(shown.amount) / 100, shown.grade);
        });
    }

    void MaybeFault(unsigned oneIn = kOneFaultIn, unsigned length = 1) {
        if (Draw(oneIn) != 0) return;
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

    void Deliver(unsigned number) {
        const int grade = 1 + static_cast<int>(Draw(kGrades));
        const Preset preset = kPresets[Draw(std::size(kPresets))];
        int64_t volumeBefore = 0, amountBefore = 0;
        unsigned unseenBefore = 0;
        AtDispenser([&](sbsim::Dispenser& dispenser) {
            volumeBefore = dispenser.point().VolumeTotal(grade);
            amountBefore = dispenser.point().AmountTotal(grade);
            unseenBefore = dispenser.faults().unseenCorruptionsSent();
        });
        told_ = false;
        faultsDrawn_.clear();
        trace_.BeginDelivery();
        Step("delivery %u: grade %d, preset %.2f l/%.2f", number, grade, preset.volume, preset.amount);
        vm().SetPrice(object(), point_, 0, grade, 0, 0, kPrice);
        if (preset.volume > 0) vm().SetVolumePreset(object(), point_, 0, 0, 0, preset.volume);
        else vm().SetAmountPreset(object(), point_, 0, 0, 0, preset.amount);
        MaybeFault(kStartFaultIn, kStartFaultLength);
        Step("START%s", Failed(Call([&] { vm().Start(object(), point_, 0, grade, 1); })));
        const bool startTold = told_;
        const bool walkAway = Draw(kWalkAwayIn) == 0;
        StepDispenser(walkAway ? "after START, the customer walks away" : "after START, the nozzle is lifted");
        bool authorised = false;
        AtDispenser([&](sbsim::Dispenser& dispenser) {
            authorised = dispenser.point().state() == sbsim::PointState::Authorised;
            if (!walkAway) dispenser.point().LiftNozzle(grade);
        });
        uint32_t code = 0;
        // Every poll that reached the dispenser after a START that returned showed the point started. A poll that
        // reached nothing returns the code last known and says so by its line result, and one that failed returns
        // none: they show nothing.
        bool shownStarted = !startTold;
        bool reached = false;
        const int polls = walkAway ? kWalkAwayPolls : kMaxPolls;
        const unsigned runningReads = startTold && !target_.readsAfterToldStart ? 0 : RunningReads();
        for (int poll = 0; poll < polls && !(code >= 0xD0 && code <= 0xD6); ++poll) {
            MaybeFault();
            const bool failed = Call([&] { code = vm().PollStatus(object(), point_, 0); });
            const uint32_t pollLine = vm().GetLineResult(object(), point_);
            Step("poll: %02X, line result %u%s", static_cast<unsigned>(code), static_cast<unsigned>(pollLine),
                 Failed(failed));
            StepDispenser("after the poll");
            const bool shown = !failed && pollLine == 1;  // a failed poll returned no code at all
            if (shown) reached = true;
            if (shown && (code < 0xE9 || code > 0xEE)) shownStarted = false;
            for (unsigned read = 0; read < runningReads; ++read) {
                double running = 0;
                const bool readFailed = Call([&] { vm().CurrentDeliveryData(object(), point_, 0, &running); });
                Step("running: %.2f%s", running, Failed(readFailed));
            }
        }
        AtDispenser([&](sbsim::Dispenser& dispenser) { dispenser.point().HangNozzle(); });
        MaybeFault();
        double volume = 0, amount = 0;
        uint32_t lineResult = 0;
        bool finalFailed = false;
        const auto finalRead = [&] {
            const bool failed = Call([&] { vm().FinalDeliveryData(object(), point_, 0, &volume, &amount); });
            finalFailed = failed;
            lineResult = vm().GetLineResult(object(), point_);
            Step("final: %.2f l/%.2f, line result %u%s", volume, amount, static_cast<unsigned>(lineResult),
                 Failed(failed));
        };
        finalRead();
        // A careful host tries the final read once more when it could not be read.
        if (lineResult == 3 && point_ % 3 == 0 && !told_) finalRead();

        // The sale the dispenser ran for this START is what the grade's totals grew by meanwhile: nothing when
        // the START was not carried out, although the dispenser still shows the previous sale then.
        int64_t sold = 0, soldAmount = 0;
        bool unseen = false, unseenHere = false;
        AtDispenser([&](sbsim::Dispenser& dispenser) {
            unseenHere = dispenser.faults().unseenCorruptionsSent() != unseenBefore;
            sold = dispenser.point().VolumeTotal(grade) - volumeBefore;
            soldAmount = dispenser.point().AmountTotal(grade) - amountBefore;
            // The lock's reference is the final figures of the latest delivery whose final read gave any: a
            // corruption unseen there counts. A final read that failed or gave none leaves the reference older.
            unseen = dispenser.faults().unseenCorruptionsSent() != unseenBeforeReference_;
            if (!finalFailed && lineResult == 1) unseenBeforeReference_ = unseenBefore;
        });
        ++counts_.deliveries;
        if (sold > 0) ++counts_.sales;
        const int64_t read = std::llround(volume * 100), readAmount = std::llround(amount * 100);
        Outcome outcome = kAccepted;
        // The host believes the pump authorised: START returned and the point was shown started throughout. A
        // refusal that a corruption unseen by the block check made into another answer is apart.
        if (!startTold && !authorised && shownStarted && reached) outcome = unseenHere ? kApart : kStartUntold;
        else if (told_ || lineResult != 1) outcome = kTold;
        else if (read == sold && readAmount == soldAmount) outcome = kAccepted;
        else if (unseen) outcome = kApart;
        else outcome = read == 0 ? kLostSale : sold == 0 ? kPhantomSale : kOtherFigures;
        ++counts_.outcomes[outcome];
        if (outcome < kLostSale || counts_.examples.size() >= kExamplesPerHost) return;
        char text[320];
        std::snprintf(text, sizeof text,
                      "point %u (%u running reads a poll) delivery %u: accepted %.2f l/%.2f, the dispenser sold "
                      "%.2f l/%.2f; START %s%s, last status %02X, faults drawn:%s",
                      static_cast<unsigned>(point_), RunningReads(), number, volume, amount,
                      static_cast<double>(sold) / 100, static_cast<double>(soldAmount) / 100,
                      authorised ? "carried out" : "not carried out", walkAway ? ", the customer walked away" : "",
                      static_cast<unsigned>(code), faultsDrawn_.c_str());
        counts_.examples.push_back(text + ("\n" + trace_.Recent()));
    }

    const Target& target_;
    uint32_t point_;
    std::mt19937 random_;
    bool told_ = false;
    unsigned unseenBeforeReference_ = 0;  // unseen corruptions sent before the reference's delivery began
    std::string faultsDrawn_;             // during the current delivery
    StepTrace trace_{kTraceLines};
    Counts counts_;
};

}  // namespace

unsigned Counts::Wrong() const {
    return outcomes[kLostSale] + outcomes[kPhantomSale] + outcomes[kOtherFigures] + outcomes[kStartUntold];
}

void Counts::Add(const Counts& other) {
    for (int i = 0; i < kOutcomes; ++i) outcomes[i] += other.outcomes[i];
    for (int i = 0; i < kFaults; ++i) faults[i] += other.faults[i];
    deliveries += other.deliveries;
    sales += other.sales;
    longestCallMs = std::max(longestCallMs, other.longestCallMs);
    examples.insert(examples.end(), other.examples.begin(), other.examples.end());
}

std::string Counts::Summary(const char* callTime) const {
    const auto list = [](const char* const* names, const unsigned* values, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += (i > 0 ? ", " : "") + std::string(names[i]) + " " + std::to_string(values[i]);
        }
        return text;
    };
    return std::to_string(deliveries) + " deliveries (" + std::to_string(sales) +
           " sold); faults: " + list(kFaultNames, faults.data(), kFaults) + "; " +
           list(kOutcomeNames, outcomes.data(), kOutcomes) + "; wrong " + std::to_string(Wrong()) + "; longest call " +
           std::to_string(longestCallMs) + " " + callTime;
}

void AttachDispensers(sbsim::SimPortService& lines) {
    sbsim::PointConfig config;
    config.flowPerPoll = 25;
    for (uint32_t point = 1; point <= kPoints; ++point) lines.Attach(point, config);
}

Counts RunHost(const Target& target, uint32_t point, uint32_t seed, unsigned deliveries) {
    return Host(target, point, seed).Run(deliveries);
}

}  // namespace soak
