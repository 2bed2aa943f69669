#include "host/Monitor.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "decode/StateMeaning.h"
#include "host/PointSession.h"
#include "host/Terminal.h"

namespace sbhost {
namespace {

constexpr int kPointNotAnswering = 3;

struct Row {
    uint32_t point = 0;
    std::string device;
    uint32_t code = 0;
    sbdecode::StateCode state;
    bool figures = false;
    Figures now;
    uint32_t lineResult = 0;
    double ageSeconds = -1;  // since the last answer; -1 never
    LineCounts counts;
};

Row PollRow(PointSession& session, const MonitorLines& lines) {
    Row row;
    row.point = session.point();
    row.device = lines.devices->at(row.point);
    row.code = session.Poll();
    row.lineResult = session.LineResult();
    row.state = sbdecode::ReadStateCode(row.code);
    row.figures = HasFigures(row.code) && row.lineResult != kNoAnswer;
    if (row.figures) row.now = session.Current();
    row.counts = lines.watch->Counts(row.point);
    if (row.counts.answered)
        row.ageSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - row.counts.lastAnswer).count();
    return row;
}

std::string AgeText(double seconds) {
    if (seconds < 0) return "never";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

std::string TableText(const std::vector<Row>& rows, int refresh) {
    std::string text = "sbhost monitor  refresh " + std::to_string(refresh) + "  (any key or Ctrl+C ends)\n\n";
    char line[320];
    std::snprintf(line, sizeof line, "%-16s %3s %4s  %-28s %3s %3s %9s %10s %3s %8s %6s %6s %5s %6s\n", "LINE",
                  "PT", "CODE", "MEANING", "NOZ", "GR", "VOLUME", "AMOUNT", "LR", "ANSWER", "EXCH", "RETRY", "NAK",
                  "SILENT");
    text += line;
    for (const Row& row : rows) {
        const bool silent = row.lineResult == kNoAnswer;
        const std::string meaning = silent ? "NO ANSWER" : row.state.meaning;
        std::snprintf(line, sizeof line, "%-16.16s %3u %4s  %-28.28s %3s %3s %9s %10s %3u %8s %6llu %6llu %5llu %6llu\n",
                      row.device.c_str(), row.point, Hex(row.code).c_str(), meaning.c_str(),
                      row.state.nozzle != 0 ? std::to_string(row.state.nozzle).c_str() : "-",
                      row.state.grade != 0 ? std::to_string(row.state.grade).c_str() : "-",
                      row.figures ? Fixed(row.now.volume).c_str() : "-", row.figures ? Fixed(row.now.amount).c_str() : "-",
                      row.lineResult, AgeText(row.ageSeconds).c_str(),
                      static_cast<unsigned long long>(row.counts.exchanges),
                      static_cast<unsigned long long>(row.counts.retries),
                      static_cast<unsigned long long>(row.counts.naks),
                      static_cast<unsigned long long>(row.counts.silentPolls));
        text += line;
    }
    return text;
}

JsonObject RowJson(const Row& row, int refresh) {
    JsonObject json;
    json.Text("event", "monitor")
        .Number("refresh", refresh)
        .Text("line", row.device)
        .Number("point", row.point)
        .Text("code", Hex(row.code))
        .Text("meaning", row.state.meaning)
        .Flag("answered", row.lineResult != kNoAnswer)
        .Number("nozzle", row.state.nozzle)
        .Number("grade", row.state.grade);
    if (row.figures) json.Figure("volume", row.now.volume).Figure("amount", row.now.amount);
    json.Number("line_result", row.lineResult);
    if (row.ageSeconds >= 0) json.Figure("answer_age_s", row.ageSeconds, 1);
    return json.Number("exchanges", static_cast<long long>(row.counts.exchanges))
        .Number("retries", static_cast<long long>(row.counts.retries))
        .Number("naks", static_cast<long long>(row.counts.naks))
        .Number("silent_polls", static_cast<long long>(row.counts.silentPolls));
}

}  // namespace

int RunMonitor(const MonitorLines& lines, int refreshes, Output& out) {
    std::vector<PointSession> sessions;
    for (const auto& line : *lines.devices) {
        sessions.emplace_back(lines.driver, line.first, out);
        lines.driver->vtbl->OpenLine(lines.driver, line.first);
    }
    Terminal terminal;
    const bool fullScreen = refreshes == 0 && !out.json() && terminal.Interactive();
    if (fullScreen) terminal.EnterFullScreen();
    bool allAnswered = true;
    // Ends after the refreshes asked for, or (with none asked for) at a key or an end signal; each refresh is
    // bounded by the driver's own limit on a call's exchanges.
    for (int refresh = 1; refreshes == 0 || refresh <= refreshes; ++refresh) {
        std::vector<Row> rows;
        for (PointSession& session : sessions) {
            if (terminal.StopAsked()) return allAnswered ? 0 : kPointNotAnswering;
            rows.push_back(PollRow(session, lines));
        }
        allAnswered = true;
        for (const Row& row : rows) {
            allAnswered = allAnswered && row.lineResult != kNoAnswer;
            if (out.json()) out.Emit("", RowJson(row, refresh));
        }
        if (fullScreen) terminal.Draw(TableText(rows, refresh));
        else if (!out.json()) out.Say(TableText(rows, refresh));
    }
    return allAnswered ? 0 : kPointNotAnswering;
}

}  // namespace sbhost
