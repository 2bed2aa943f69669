#include "host/report/ReportCommand.h"

#include <algorithm>
#include <fstream>
#include <iostream>

#include "host/recording/RecordingDate.h"
#include "host/recording/RecordingFile.h"
#include "host/recording/RecordingScope.h"
#include "host/report/ReportOutages.h"
#include "host/report/ReportPage.h"
#include "replay/RecordingSet.h"

namespace sbhost {
namespace {

// False and what is wrong in *error when the words are not report's.
bool ParseReport(const std::vector<std::string>& words, std::string* log, std::string* page, RecordingScope* scope,
                 std::string* error) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (TakeScopeOption(words, &i, scope, error)) continue;
        if (!error->empty()) return false;
        if (words[i] == "--out" && i + 1 < words.size()) {
            *page = words[++i];
        } else if (words[i] == "--out" || words[i].rfind("--", 0) == 0) {
            *error = words[i] == "--out" ? "--out wants the page's file name" : "unknown option " + words[i];
            return false;
        } else if (!log->empty()) {
            *error = "one LOG only, not also " + words[i];
            return false;
        } else {
            *log = words[i];
        }
    }
    if (log->empty()) *error = "which LOG?";
    if (page->empty()) *page = *log + ".html";
    return !log->empty();
}

// "point 4, 14:47 to 14:48" for the page; empty when the whole recording is kept.
std::string ScopeText(const RecordingScope& scope) {
    std::string text = scope.point == 0 ? "" : "point " + std::to_string(scope.point);
    if (scope.timed) {
        text += (text.empty() ? "" : ", ") + (scope.fromText.empty() ? "from the start" : scope.fromText) + " to " +
                (scope.toText.empty() ? "the end of the day" : scope.toText);
    }
    return text;
}

}  // namespace

const std::string kReportUsage = std::string("sbhost [--json] report LOG [--out PAGE.html] ") + kScopeUsage +
                                 "\n              (default LOG.html; the log's rotated copies LOG.11 ... LOG.0 first)";

int RunReport(const std::vector<std::string>& words, Output& out) {
    std::string log;
    std::string page;
    RecordingScope scope;
    std::string error;
    if (!ParseReport(words, &log, &page, &scope, &error)) {
        std::cerr << "sbhost: report: " << error << "\n";
        return 2;
    }
    ReportModel model;
    RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) {
        if (scope.Passes(read.exchange.point, read.exchange.timeMs)) model.Take(read);
    };
    visitor.note = [&](const sbdecode::TraceRecord& record) {
        if (scope.Passes(record.point, record.timeMs)) model.TakeNote(record);
    };
    visitor.unreadable = [](const sbdecode::TraceRecord&) {};
    RecordingSummary summary;
    ReportSource source;
    std::vector<sbreplay::RecordingPart> parts;
    std::vector<std::string> leftOut;
    if (!sbreplay::FindRecordingSet(log, &parts, &error, &leftOut)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    for (const std::string& copy : leftOut) std::cerr << "sbhost: report: " << copy << "\n";
    for (const sbreplay::RecordingPart& part : parts) source.files.push_back(part.path);
    if (!ReadRecordingFiles(source.files, visitor, &summary, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    source.scope = ScopeText(scope);
    if (model.exchanges == 0) {
        std::cerr << "sbhost: " << log << " records no exchange with a time to draw"
                  << (source.scope.empty() ? "" : " (" + source.scope + ")") << "\n";
        return 1;
    }
    source.cautions = Cautions(summary);
    for (const std::string& caution : source.cautions) std::cerr << "sbhost: " << log << ": " << caution << "\n";
    std::time_t written = 0;
    if (FileWritten(log, &written)) source.date = RecordingDate::Agreeing(summary.lastMs, written);
    std::ofstream file(page, std::ios::binary);
    file << ReportPage(model, source);
    file.close();
    if (!file) {
        std::cerr << "sbhost: cannot write " << page << "\n";
        return 1;
    }
    const std::vector<Delivery> deliveries = model.Deliveries();
    const auto interrupted = std::count_if(deliveries.begin(), deliveries.end(), Interrupted);
    std::size_t outages = 0;
    for (const auto& point : model.points) outages += Outages(point.second, model.lastMs).size();
    JsonObject json;
    json.Text("event", "report").Text("page", page).Number("files", static_cast<long long>(source.files.size()));
    if (source.date) json.Text("date", source.date->Of(model.firstMs));
    json.Number("points", static_cast<long long>(model.points.size()))
        .Number("deliveries", static_cast<long long>(deliveries.size()))
        .Number("interrupted", static_cast<long long>(interrupted))
        .Number("outages", static_cast<long long>(outages))
        .Number("exchanges", static_cast<long long>(model.exchanges))
        .Number("skipped_lines", static_cast<long long>(summary.unreadableLines))
        .Number("backward_steps", static_cast<long long>(summary.backwardSteps));
    out.Emit("report " + page + ": " + std::to_string(model.points.size()) + " points, " +
                 std::to_string(deliveries.size()) + " deliveries (" + std::to_string(interrupted) + " interrupted), " +
                 std::to_string(outages) + " outages, " + std::to_string(model.exchanges) + " exchanges",
             json);
    return 0;
}

}  // namespace sbhost
