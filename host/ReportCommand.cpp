#include "host/ReportCommand.h"

#include <algorithm>
#include <fstream>
#include <iostream>

#include "host/RecordingFile.h"
#include "host/ReportPage.h"

namespace sbhost {
namespace {

// False and what is wrong in *error when the words are not report's.
bool ParseReport(const std::vector<std::string>& words, std::string* log, std::string* page, std::string* error) {
    for (std::size_t i = 0; i < words.size(); ++i) {
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

}  // namespace

const char kReportUsage[] = "sbhost [--json] report LOG [--out PAGE.html]   (default LOG.html)";

int RunReport(const std::vector<std::string>& words, Output& out) {
    std::string log;
    std::string page;
    std::string error;
    if (!ParseReport(words, &log, &page, &error)) {
        std::cerr << "sbhost: report: " << error << "\n";
        return 2;
    }
    ReportModel model;
    RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) { model.Take(read); };
    visitor.note = [&](const sbdecode::TraceRecord& record) { model.TakeNote(record); };
    visitor.unreadable = [](const sbdecode::TraceRecord&) {};
    RecordingSummary summary;
    if (!ReadRecordingFile(log, visitor, &summary, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    if (model.exchanges == 0) {
        std::cerr << "sbhost: " << log << " records no exchange with a time to draw\n";
        return 1;
    }
    const std::vector<std::string> cautions = Cautions(summary);
    for (const std::string& caution : cautions) std::cerr << "sbhost: " << log << ": " << caution << "\n";
    std::ofstream file(page, std::ios::binary);
    file << ReportPage(model, log, cautions);
    file.close();
    if (!file) {
        std::cerr << "sbhost: cannot write " << page << "\n";
        return 1;
    }
    const std::vector<Delivery> deliveries = model.Deliveries();
    const auto interrupted = std::count_if(deliveries.begin(), deliveries.end(), Interrupted);
    out.Emit("report " + page + ": " + std::to_string(model.points.size()) + " points, " +
                 std::to_string(deliveries.size()) + " deliveries (" + std::to_string(interrupted) +
                 " interrupted), " + std::to_string(model.exchanges) + " exchanges",
             JsonObject()
                 .Text("event", "report")
                 .Text("page", page)
                 .Number("points", static_cast<long long>(model.points.size()))
                 .Number("deliveries", static_cast<long long>(deliveries.size()))
                 .Number("interrupted", static_cast<long long>(interrupted))
                 .Number("exchanges", static_cast<long long>(model.exchanges))
                 .Number("skipped_lines", static_cast<long long>(summary.unreadableLines))
                 .Number("backward_steps", static_cast<long long>(summary.backwardSteps)));
    return 0;
}

}  // namespace sbhost
