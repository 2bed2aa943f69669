// libFuzzer target: arbitrary bytes read as a recording (the driver's trace log, a hex capture, or both mixed),
// every exchange told as `sbhost decode` tells it, and the report page drawn as `sbhost report` draws it.
// Nothing may read or write out of bounds, every time drawn lies on the page's axis, and no figure of the page
// is not a number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "host/recording/RecordingFile.h"
#include "host/report/ReportModel.h"
#include "host/report/ReportPage.h"

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    sbhost::ReportModel model;
    sbhost::RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) {
        Check(!sbdecode::ExchangeText(read).empty());
        model.Take(read);
    };
    visitor.note = [&](const sbdecode::TraceRecord& note) {
        Check(note.kind == sbdecode::TraceRecord::Kind::kNote || note.kind == sbdecode::TraceRecord::Kind::kFailure);
        model.TakeNote(note);
    };
    visitor.unreadable = [](const sbdecode::TraceRecord& record) { Check(record.lineNumber > 0); };
    std::string error;
    sbhost::RecordingSummary summary;
    if (!sbhost::ReadRecording(in, "fuzz", visitor, &summary, &error) || model.exchanges == 0) return 0;
    Check((summary.unreadableLines == 0) == (summary.firstUnreadableLine == 0));
    for (const auto& point : model.points) {
        for (const sbhost::LineEvent& event : point.second.line)
            Check(event.timeMs >= model.firstMs && event.timeMs <= model.lastMs);
    }
    sbhost::ReportSource source;
    source.files = {"fuzz"};
    source.cautions = sbhost::Cautions(summary);
    const std::string page = sbhost::ReportPage(model, source);
    Check(page.find("nan") == std::string::npos && page.find("inf") == std::string::npos);
    return 0;
}
