#include "host/monitor/Monitor.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <vector>

#include "host/monitor/MonitorEvents.h"
#include "host/monitor/MonitorInput.h"
#include "host/monitor/MonitorTable.h"
#include "host/monitor/PointWorker.h"
#include "host/program/HostSystem.h"
#include "host/program/Terminal.h"
#include "host/program/TextCells.h"
#include "host/program/TimeText.h"

namespace sbhost {
namespace {

using Clock = std::chrono::steady_clock;

// " 20 21 22" in at most room characters, of whole numbers: " 20 21 +3" when the rest does not fit.
std::string PointList(const std::vector<uint32_t>& points, std::size_t room) {
    std::string list;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string next = " " + std::to_string(points[i]);
        const std::size_t after = points.size() - i - 1;
        const std::size_t rest = after == 0 ? 0 : 2 + std::to_string(after).size();
        if (list.size() + next.size() + rest > room) return list + " +" + std::to_string(points.size() - i);
        list += next;
    }
    return list;
}

// A round polls every point once: no sooner than this after the round before...
constexpr auto kRoundPeriod = std::chrono::milliseconds(250);
// ...and the table does not wait longer than this for a point whose call runs on: it shows what it had. The
// first round opens the lines, resets the points and may identify and initialise them (a second and more).
constexpr auto kRoundWait = std::chrono::seconds(1);
constexpr auto kFirstRoundWait = std::chrono::seconds(3);
// On leaving, the calls running may end by themselves this long; then their exchanges are cut short.
constexpr auto kQuitGrace = std::chrono::seconds(2);
// How often the monitor looks at its input and its points between tables.
constexpr int kTickMs = 20;
// The full screen redraws this often (the clock, the line being typed) besides at every table.
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
// The full screen's lines besides the points: title, heading, the messages, the prompt.
constexpr std::size_t kMessageLines = 2;
constexpr int kChromeLines = 3 + static_cast<int>(kMessageLines);

const char kHint[] = "q quit, f faults, Tab page; type e.g. 3 authorise 2 45.90 5 and Enter";

class Monitor {
public:
    Monitor(const MonitorLines& lines, const MonitorOptions& options, Output& out)
        : lines_(lines), options_(options), out_(out), events_(out) {}

    int Run();

private:
    bool Start();
    // Looks at the input and what the points told until the round is done by the points that were done with
    // the round before (a point whose call runs on is not waited for), or waited for long enough.
    void AwaitRound(uint64_t round);
    void Take(const Asked& asked);
    void Tell(const Told& told);
    std::vector<PointRow> Rows() const;
    void Show(const std::vector<PointRow>& rows, int refresh);
    std::string ScreenText(const std::vector<PointRow>& rows, int refresh);
    void StopPoints();
    int Finish(const std::vector<PointRow>& rows);

    const MonitorLines& lines_;
    const MonitorOptions& options_;
    Output& out_;
    MonitorEvents events_;
    Terminal terminal_;
    bool fullScreen_ = false;
    bool colour_ = false;
    std::unique_ptr<MonitorInput> input_;
    std::vector<std::unique_ptr<PointWorker>> workers_;
    std::deque<std::string> messages_;
    bool faultsView_ = false;
    int page_ = 0;
    bool quit_ = false;
    std::vector<PointRow> shown_;  // the rows of the latest table
    int refresh_ = 0;
    Clock::time_point drawn_;
};

bool Monitor::Start() {
    std::string error;
    if (!options_.events.empty() && !events_.Open(options_.events, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return false;
    }
    for (const auto& [point, device] : *lines_.devices) {
        workers_.push_back(std::make_unique<PointWorker>(lines_.driver, point, device, point == lines_.opened,
                                                         *lines_.watch, lines_.lineError));
        if (!workers_.back()->Start()) {
            std::cerr << "sbhost: the system gave no thread for point " << point << "\n";
            return false;
        }
    }
    fullScreen_ = options_.refreshes == 0 && !out_.json() && terminal_.Interactive();
    colour_ = !out_.json() && terminal_.OutputIsTerminal() && std::getenv("NO_COLOR") == nullptr;
    input_ = std::make_unique<MonitorInput>(fullScreen_);
    if (fullScreen_) terminal_.EnterFullScreen();
    return true;
}

void Monitor::Take(const Asked& asked) {
    switch (asked.ask) {
        case Ask::kQuit: quit_ = true; return;
        case Ask::kNextPage: ++page_; return;
        case Ask::kPreviousPage: page_ = std::max(0, page_ - 1); return;
        case Ask::kFaults: faultsView_ = !faultsView_; return;
        case Ask::kCommand: break;
    }
    uint32_t point = 0;
    LineCommand command;
    std::string error;
    if (!ParseTypedCommand(asked.line, &point, &command, &error)) {
        Tell(Told{"\"" + asked.line + "\": " + error, JsonObject()});
        return;
    }
    for (const auto& worker : workers_) {
        if (worker->View().point != point) continue;
        worker->Queue(command);
        const std::string typed = asked.line.substr(asked.line.find(' ') + 1);
        Tell(Told{"point " + std::to_string(point) + ": " + typed + " ...",
                  JsonObject().Text("event", "typed").Number("point", point).Text("command", typed)});
        return;
    }
    Tell(Told{"point " + std::to_string(point) + " is not monitored (no --line for it)", JsonObject()});
}

void Monitor::Tell(const Told& told) {
    events_.Told(told.json);
    if (out_.json() && told.json.Empty()) std::cerr << "sbhost: " << told.text << "\n";
    if (fullScreen_) {
        messages_.push_back(told.text);
        while (messages_.size() > kMessageLines) messages_.pop_front();
    } else {
        out_.Say(told.text);
    }
}

void Monitor::AwaitRound(uint64_t round) {
    const Clock::time_point start = Clock::now();
    std::vector<const PointWorker*> awaited;
    for (const auto& worker : workers_) {
        if (worker->Done(round - 1)) awaited.push_back(worker.get());
        worker->AskRound(round);
    }
    // Bounded by the round's wait; the points' calls run on their own threads meanwhile. Asked to leave, it leaves at
    // once, but for the first round: the table it ends with tells what every point did.
    while (round == 1 || (!quit_ && !terminal_.StopAsked())) {
        for (const Asked& asked : input_->Feed(terminal_.TakeInput())) Take(asked);
        for (const auto& worker : workers_) {
            for (const Told& told : worker->TakeTold()) Tell(told);
        }
        if (fullScreen_ && Clock::now() - drawn_ >= kRedrawEvery) {
            terminal_.Draw(ScreenText(Rows(), refresh_));
            drawn_ = Clock::now();
        }
        const auto waited = Clock::now() - start;
        const bool done = std::all_of(awaited.begin(), awaited.end(),
                                      [round](const PointWorker* worker) { return worker->Done(round); });
        if ((done && waited >= kRoundPeriod) || waited >= (round == 1 ? kFirstRoundWait : kRoundWait)) return;
        SleepMilliseconds(kTickMs);
    }
}

std::vector<PointRow> Monitor::Rows() const {
    std::vector<PointRow> rows;
    for (const auto& worker : workers_) {
        PointRow row;
        row.view = worker->View();
        row.counts = lines_.watch->Counts(row.view.point);
        rows.push_back(row);
    }
    return rows;
}

std::string Monitor::ScreenText(const std::vector<PointRow>& rows, int refresh) {
    const ScreenSize size = terminal_.Size();
    const TableLook look{size.columns, colour_, faultsView_};
    const int perPage = std::max(1, size.rows - kChromeLines);
    const int pages = std::max<int>(1, (static_cast<int>(rows.size()) + perPage - 1) / perPage);
    page_ = page_ % pages;
    const std::size_t first = static_cast<std::size_t>(page_ * perPage);
    const std::size_t end = std::min(rows.size(), first + static_cast<std::size_t>(perPage));

    const std::size_t width = static_cast<std::size_t>(size.columns);
    std::string title = "sbhost monitor  " + ClockText(std::chrono::system_clock::now()) + "  round " +
                        std::to_string(refresh) + "  " + std::to_string(rows.size()) + " points";
    if (pages > 1) {
        title += "  page " + std::to_string(page_ + 1) + "/" + std::to_string(pages);
        std::vector<uint32_t> elsewhere;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if ((i < first || i >= end) && !Answering(rows[i])) elsewhere.push_back(rows[i].view.point);
        }
        const std::string head = "  silent elsewhere:";
        if (!elsewhere.empty())
            title += head +
                     PointList(elsewhere, width > title.size() + head.size() ? width - title.size() - head.size() : 0);
    }
    std::string text = Cell(title, width) + "\n" + Cell(HeadingLine(look), width) + "\n";
    for (std::size_t i = first; i < end; ++i) text += PointLine(rows[i], look) + "\n";
    for (int blank = static_cast<int>(end - first); blank < perPage; ++blank) text += "\n";
    for (std::size_t i = 0; i < kMessageLines; ++i) text += (i < messages_.size() ? messages_[i] : "") + "\n";
    const std::string& typed = input_->Editing();
    return text + (typed.empty() ? Cell(kHint, width) : "> " + typed + "_");
}

void Monitor::Show(const std::vector<PointRow>& rows, int refresh) {
    events_.Refresh(rows, refresh);
    if (out_.json()) return;
    if (fullScreen_) {
        terminal_.Draw(ScreenText(rows, refresh));
        drawn_ = Clock::now();
        return;
    }
    const TableLook look{terminal_.OutputIsTerminal() ? terminal_.Size().columns : 0, colour_, false};
    std::string table = "sbhost monitor  " + ClockText(std::chrono::system_clock::now()) + "  refresh " +
                        std::to_string(refresh) + "\n" + HeadingLine(look) + "\n";
    for (const PointRow& row : rows) table += PointLine(row, look) + "\n";
    out_.Say(table);
}

void Monitor::StopPoints() {
    for (const auto& worker : workers_) worker->AskStop();
    const Clock::time_point start = Clock::now();
    const auto stopped = [this] {
        return std::all_of(workers_.begin(), workers_.end(),
                           [](const std::unique_ptr<PointWorker>& worker) { return worker->Stopped(); });
    };
    while (!stopped() && Clock::now() - start < kQuitGrace) SleepMilliseconds(kTickMs);
    if (!stopped()) lines_.watch->Close(true);
    for (const auto& worker : workers_) {
        worker->Join();  // its call now ends within a few failed exchanges
        for (const Told& told : worker->TakeTold()) Tell(told);
    }
    workers_.clear();
    lines_.watch->Close(false);
}

int Monitor::Finish(const std::vector<PointRow>& rows) {
    terminal_.LeaveFullScreen();
    if (!out_.json()) out_.Say(FaultSummary(rows, colour_));
    std::string silent;
    std::string failed;
    for (const PointRow& row : rows) {
        const std::string point = "point " + std::to_string(row.view.point);
        const std::optional<Fault> latest = row.counts.latest;
        switch (row.view.condition) {
            case Condition::kStarting:
                silent +=
                    ", " + point + " (no answer yet" + (latest ? std::string("; ") + FaultName(*latest) : "") + ")";
                break;
            case Condition::kDeviceMissing: silent += ", " + point + " (device missing)"; break;
            case Condition::kUnanswered:
                silent += ", " + point + " (" + (latest ? FaultName(*latest) : "no answer") + ")";
                break;
            case Condition::kFailed: failed += ", " + point; break;
            case Condition::kAnswering: break;
        }
    }
    if (!silent.empty()) {
        std::cerr << "sbhost: did not answer at the end: " << silent.substr(2) << "\n";
        return kExitNoAnswer;
    }
    if (!failed.empty()) {
        std::cerr << "sbhost: the driver failed at the end on " << failed.substr(2) << "\n";
        return 1;
    }
    return 0;
}

int Monitor::Run() {
    if (!Start()) {
        StopPoints();
        return 1;
    }
    // Ends after the refreshes asked for, or (with none asked for) when asked to; every round is bounded.
    for (int refresh = 1; options_.refreshes == 0 || refresh <= options_.refreshes; ++refresh) {
        refresh_ = refresh;
        AwaitRound(static_cast<uint64_t>(refresh));
        shown_ = Rows();
        Show(shown_, refresh);
        if (quit_ || terminal_.StopAsked()) break;
    }
    StopPoints();
    return Finish(shown_);
}

}  // namespace

int RunMonitor(const MonitorLines& lines, const MonitorOptions& options, Output& out) {
    return Monitor(lines, options, out).Run();
}

}  // namespace sbhost
