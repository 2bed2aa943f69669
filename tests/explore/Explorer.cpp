#include "explore/Explorer.h"

#include <sstream>

#include "sim/Dispenser.h"
#include "soak/SoakHost.h"
#include "support/SoakPoint.h"

namespace explore {
namespace {

constexpr uint32_t kPoint = 1;

// A quick dispenser, so that a sale takes few exchanges: 5 l in five polls, a fill-up of 12 l in twelve.
soak::PointSetup Setup() {
    soak::PointSetup setup;
    setup.config.nozzles = 6;  // nozzle n carries grade n
    setup.config.flowPerPoll = 100;
    setup.config.tankCapacity = 1200;
    setup.price = 1.46;
    return setup;
}

// Each script runs for two hosts: one that reads the running figures once a poll (the reads that meet the
// previous sale's figures), and one that only polls and waits for the finished report before the final read.
constexpr soak::HostHabits kReader{1, false, false, false};
constexpr soak::HostHabits kWaiter{0, true, false, false};
// A host that takes an unused authorisation back after a walk-away.
constexpr soak::HostHabits kCanceller{1, false, true, false};

soak::SalePlan Preset(int grade, double volume, double amount = 0) {
    soak::SalePlan plan;
    plan.grade = grade;
    plan.volumePreset = volume;
    plan.amountPreset = amount;
    return plan;
}

soak::SalePlan With(soak::SalePlan plan, void (*change)(soak::SalePlan&)) {
    change(plan);
    return plan;
}

std::vector<Script> MakeScripts() {
    const soak::SalePlan before = Preset(1, 2.00);
    const soak::SalePlan fillUp = Preset(3, 0);
    std::vector<Script> sales{
        {"walk-away", before, With(Preset(1, 5.00), [](soak::SalePlan& p) { p.walkAway = true; }), kReader},
        {"volume preset", before, Preset(2, 5.00), kReader},
        {"amount preset", before, Preset(1, 0, 7.30), kReader},
        {"fill-up", before, fillUp, kReader},
        {"early hang-up", before, With(fillUp, [](soak::SalePlan& p) { p.hangUpAtPoll = 3; }), kReader},
        {"same volume", Preset(1, 5.00), Preset(1, 5.00), kReader},
        // The customer before walked away from a grade-6 START nobody took back: the pump stands authorised.
        {"after a walk-away on grade 6", With(Preset(6, 5.00), [](soak::SalePlan& p) { p.walkAway = true; }),
         Preset(6, 5.00), kReader},
        {"two walk-aways on grade 6", With(Preset(6, 5.00), [](soak::SalePlan& p) { p.walkAway = true; }),
         With(Preset(6, 5.00), [](soak::SalePlan& p) { p.walkAway = true; }), kReader},
        // As above, the authorisation taken back after each: a START refused now leaves the pump free.
        {"two walk-aways on grade 6, taken back", With(Preset(6, 5.00), [](soak::SalePlan& p) { p.walkAway = true; }),
         With(Preset(6, 5.00), [](soak::SalePlan& p) { p.walkAway = true; }), kCanceller},
        {"price changed mid-sale", before, With(fillUp, [](soak::SalePlan& p) { p.priceChangeAtPoll = 2; }), kReader},
    };
    for (int stage = 1; stage <= soak::kStages; ++stage) {
        soak::SalePlan sale = Preset(2, 5.00);
        sale.restart = static_cast<soak::Stage>(stage);
        const bool finished = sale.restart == soak::Stage::kAfterFinish;
        sales.push_back({std::string("restart ") + soak::kStageNames[stage], before, sale, kReader, finished});
    }
    for (int stage = 1; stage <= soak::kStages; ++stage) {
        for (const bool reset : {false, true}) {
            soak::SalePlan sale = Preset(2, 5.00);
            sale.powerCycle = static_cast<soak::Stage>(stage);
            sale.displayReset = reset;
            // The dispenser refuses START until the driver initialised it, and this host polls only after START;
            // nothing is sold once the authorisation went before the lift; a reset display lost the figures.
            const bool mayBeTold = stage <= static_cast<int>(soak::Stage::kAfterStart) ||
                                   (reset && stage >= static_cast<int>(soak::Stage::kMidDelivery));
            sales.push_back({std::string("power cycle ") + soak::kStageNames[stage] + (reset ? ", display reset" : ""),
                             before, sale, kReader, mayBeTold});
        }
    }
    std::vector<Script> scripts = sales;
    for (Script script : sales) {
        script.name += ", no running reads";
        script.habits = kWaiter;
        scripts.push_back(script);
    }
    return scripts;
}

bool IsBlock(const sbsim::Bytes& bytes) { return !bytes.empty() && bytes[0] == sbsim::kStx; }

// Arms the faults placed on the exchanges of the scripted sale as each comes, for that exchange alone, and keeps
// what was sent.
class Placer {
public:
    explicit Placer(const std::vector<Placement>& faults) : faults_(faults) {}

    bool operator()(const sbsim::Bytes& sent, sbsim::Dispenser& dispenser) {
        sbsim::FaultScript& script = dispenser.faults();
        for (const sbsim::CountedFault fault : {sbsim::CountedFault::Nak, sbsim::CountedFault::Wait,
                                                sbsim::CountedFault::Refusal, sbsim::CountedFault::Corruption}) {
            script.Arm(fault, 0);  // one not taken by the exchange before does not wait for a later one
        }
        bool portFails = false;
        for (const Placement& placement : faults_) {
            if (placement.exchange != seen_.size()) continue;
            switch (placement.kind) {
                case kSilence: script.Arm(sbsim::CountedFault::Silence, 1); break;
                case kNak: script.Arm(sbsim::CountedFault::Nak, 1); break;
                case kCorruptBlock: script.Arm(sbsim::CountedFault::Corruption, 1); break;
                case kWait: script.Arm(sbsim::CountedFault::Wait, 1); break;
                case kRefusal: script.Arm(sbsim::CountedFault::Refusal, 1); break;
                case kBabble: script.ScriptAnswer(sbsim::FrameBlock("0180", true)); break;
                case kLostAnswer: script.GarbleNextAnswer({}); break;
                case kPortFailure: portFails = true; break;
                case kKinds: break;
            }
        }
        seen_.push_back(Exchange{sent, {}, portFails});
        return portFails;
    }
    // The exchanges seen, with the answers the port service recorded (none for those the port failed).
    std::vector<Exchange> Seen(const std::vector<sbsim::ExchangeRecord>& records) {
        size_t record = 0;
        for (Exchange& exchange : seen_) {
            if (!exchange.portFailed && record < records.size()) exchange.answer = records[record++].received;
        }
        return seen_;
    }

private:
    std::vector<Placement> faults_;
    std::vector<Exchange> seen_;
};

void Count(Tally& tally, soak::Outcome outcome) {
    ++tally.outcomes[outcome];
    ++tally.cases;
}

}  // namespace

const char* const kKindNames[kKinds] = {"silence", "nak",    "corrupt",     "wait",
                                        "refusal", "babble", "lost-answer", "port"};

const std::vector<Script>& Scripts() {
    static const std::vector<Script> scripts = MakeScripts();
    return scripts;
}

std::string Describe(const Case& run) {
    std::string text = Scripts()[run.script].name + ":";
    for (size_t i = 0; i < run.faults.size(); ++i) {
        text += (i == 0 ? " " : " + ") + std::string(kKindNames[run.faults[i].kind]) + "@" +
                std::to_string(run.faults[i].exchange);
    }
    return run.faults.empty() ? text + " no fault" : text;
}

bool ParseCase(const std::string& text, Case* run) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    Case parsed;
    for (parsed.script = 0; parsed.script < Scripts().size(); ++parsed.script) {
        if (Scripts()[parsed.script].name == text.substr(0, colon)) break;
    }
    if (parsed.script == Scripts().size()) return false;
    std::istringstream words(text.substr(colon + 1));
    for (std::string word; words >> word;) {
        if (word == "+" || word == "no" || word == "fault") continue;
        const size_t at = word.find('@');
        if (at == std::string::npos || at + 1 == word.size()) return false;
        Placement placement;
        int kind = 0;
        while (kind < kKinds && word.compare(0, at, kKindNames[kind]) != 0) ++kind;
        if (kind == kKinds || word.find_first_not_of("0123456789", at + 1) != std::string::npos) return false;
        placement.kind = static_cast<FaultKind>(kind);
        placement.exchange = std::stoul(word.substr(at + 1));
        parsed.faults.push_back(placement);
    }
    *run = parsed;
    return true;
}

bool Applies(FaultKind kind, const Exchange& exchange) {
    const sbsim::Bytes& sent = exchange.sent;
    switch (kind) {
        case kNak: return IsBlock(sent);
        case kRefusal: return IsBlock(sent) && sent.size() >= 2 && sent[sent.size() - 2] == sbsim::kEtx;
        case kWait: return sent == sbsim::Bytes{sbsim::kEot, '0', sbsim::kEnq};
        case kCorruptBlock: return IsBlock(exchange.answer);
        case kLostAnswer: return !exchange.answer.empty();
        default: return true;
    }
}

CaseResult RunCase(const Case& run, bool traced) {
    const Script& script = Scripts()[run.script];
    sbtest::SoakPoint world(Setup(), kPoint);
    soak::SaleHost host(world.target(), kPoint, soak::World{}, Setup(), 0, false);
    host.SetHabits(script.habits);
    if (traced) sbtest::TraceDriverLines(&host.trace());
    host.Open();
    host.Deliver(1, script.before);
    world.port.ClearRecords();
    Placer placer(run.faults);
    world.SetFaultHook(
        [&](uint32_t, const sbsim::Bytes& sent, sbsim::Dispenser& dispenser) { return placer(sent, dispenser); });
    CaseResult result;
    result.outcome = host.Deliver(2, script.sale);
    world.SetFaultHook(nullptr);
    if (traced) sbtest::TraceDriverLines(nullptr);
    result.exchanges = placer.Seen(world.port.exchanges());
    if (traced)
        result.example = host.counts().examples.empty() ? host.trace().Recent() : host.counts().examples.front();
    return result;
}

unsigned Tally::Wrong() const {
    unsigned wrong = goodSaleTold;
    for (int i = 0; i < soak::kOutcomes; ++i) wrong += soak::IsWrong(static_cast<soak::Outcome>(i)) ? outcomes[i] : 0;
    return wrong;
}

Tally Exploration::Total() const {
    Tally total;
    for (const Tally& tally : perScript) {
        for (int i = 0; i < soak::kOutcomes; ++i) total.outcomes[i] += tally.outcomes[i];
        total.cases += tally.cases;
        total.goodSaleTold += tally.goodSaleTold;
    }
    return total;
}

namespace {

std::string TallyLine(const std::string& name, const Tally& tally) {
    std::string text = name + ": " + std::to_string(tally.cases) + " cases";
    for (int i = 0; i < soak::kOutcomes; ++i) {
        if (tally.outcomes[i] != 0)
            text += ", " + std::string(soak::kOutcomeNames[i]) + " " + std::to_string(tally.outcomes[i]);
    }
    if (tally.goodSaleTold != 0) text += ", a fault-free sale told " + std::to_string(tally.goodSaleTold);
    return text + "; wrong " + std::to_string(tally.Wrong()) + "\n";
}

}  // namespace

std::string Exploration::Summary() const {
    std::string text;
    for (size_t i = 0; i < perScript.size(); ++i) {
        if (perScript[i].cases != 0) text += TallyLine(Scripts()[i].name, perScript[i]);
    }
    return text + TallyLine("all scripts", Total());
}

Exploration Explore(const Bounds& bounds) {
    Exploration exploration;
    exploration.perScript.resize(Scripts().size());
    std::vector<std::array<bool, soak::kOutcomes>> told(Scripts().size());
    const auto judge = [&](const Case& run, soak::Outcome outcome) {
        Count(exploration.perScript[run.script], outcome);
        const bool goodSaleTold =
            run.faults.empty() && outcome == soak::kTold && !Scripts()[run.script].toldWithoutFault;
        if (goodSaleTold) ++exploration.perScript[run.script].goodSaleTold;
        if ((!soak::IsWrong(outcome) && !goodSaleTold) || told[run.script][outcome]) return;
        told[run.script][outcome] = true;
        // The case runs again with its trace: the same case gives the same exchanges.
        exploration.firstWrong.push_back(Describe(run) + "\n    replay: SB_EXPLORE_CASE='" + Describe(run) +
                                         "' bash scripts/explore.sh\n    " + RunCase(run, true).example);
    };
    for (size_t script = 0; script < Scripts().size(); ++script) {
        const std::string& name = Scripts()[script].name;
        if (!bounds.scripts.empty() && (";" + bounds.scripts + ";").find(";" + name + ";") == std::string::npos)
            continue;
        const CaseResult clean = RunCase({script, {}}, false);
        judge({script, {}}, clean.outcome);
        for (size_t at = 0; at < clean.exchanges.size(); at += bounds.step) {
            for (int kind = 0; kind < kKinds; ++kind) {
                if (!Applies(static_cast<FaultKind>(kind), clean.exchanges[at])) continue;
                const Case single{script, {{static_cast<FaultKind>(kind), at}}};
                const CaseResult first = RunCase(single, false);
                judge(single, first.outcome);
                const size_t last = std::min(first.exchanges.size(), at + 1 + bounds.pairWindow);
                for (size_t next = at + 1; next < last; ++next) {
                    for (int second = 0; second < kKinds; ++second) {
                        if (!Applies(static_cast<FaultKind>(second), first.exchanges[next])) continue;
                        Case pair = single;
                        pair.faults.push_back({static_cast<FaultKind>(second), next});
                        judge(pair, RunCase(pair, false).outcome);
                    }
                }
            }
        }
        if (bounds.progress) bounds.progress(TallyLine(name, exploration.perScript[script]));
    }
    return exploration;
}

}  // namespace explore
