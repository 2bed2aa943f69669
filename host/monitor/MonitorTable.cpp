#include "host/monitor/MonitorTable.h"

#include <algorithm>
#include <cstdio>

#include "decode/StateMeaning.h"
#include "host/program/DriverTexts.h"
#include "host/program/TextCells.h"
#include "host/program/TimeText.h"

namespace sbhost {
namespace {

// Columns of the table, in characters; the last one (LAST FAULT, or the faults) takes what the width leaves.
constexpr std::size_t kPoint = 2, kDevice = 16, kCode = 4, kState = 25, kVolume = 8, kAmount = 9, kLineResult = 2,
                      kAge = 5, kCount = 7;
// A width from which the device and the line's counts are shown too.
constexpr int kWideColumns = 120;
// The state column when the row's trouble takes the figures' place: state to answer age.
constexpr std::size_t kTroubleSpan = kState + 1 + kVolume + 1 + kAmount + 1 + kLineResult + 1 + kAge;
constexpr std::size_t kLeastLast = 12;

const char kRed[] = "\x1b[31m";
const char kYellow[] = "\x1b[33m";
const char kCyan[] = "\x1b[36m";
const char kReset[] = "\x1b[0m";

bool Wide(const TableLook& look) { return look.columns == 0 || look.columns >= kWideColumns; }

std::string Paint(const std::string& text, const char* colour, bool on) {
    return on && colour != nullptr ? colour + text + kReset : text;
}

const char* FaultColour(Fault fault) {
    switch (fault) {
        case Fault::kSwitchedOff: return kCyan;
        case Fault::kNak:
        case Fault::kBadCheck:
        case Fault::kNoise:
        case Fault::kWait:
        case Fault::kRefused: return kYellow;
        default: return kRed;
    }
}

const char* RowColour(const PointRow& row) {
    switch (row.view.condition) {
        case Condition::kUnanswered:
        case Condition::kFailed:
        case Condition::kDeviceMissing: return kRed;
        case Condition::kAnswering: return row.counts.switchedOff ? kCyan : nullptr;
        case Condition::kStarting: break;
    }
    return nullptr;
}

// "12.0s", "never".
std::string AgeText(const LineCounts& counts) {
    if (!counts.answered) return "never";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - counts.lastAnswer).count();
    char text[16];
    if (seconds < 100) std::snprintf(text, sizeof text, "%.1fs", seconds);
    else if (seconds < 6000) std::snprintf(text, sizeof text, "%.0fm", seconds / 60);
    else std::snprintf(text, sizeof text, "%.0fh", seconds / 3600);
    return text;
}

// "~12.34" for figures read before the latest read failed, "?" for none, "-" outside a delivery.
std::string FigureText(const PointView& view, double value) {
    if (!view.delivery) return "-";
    if (!view.figures.known) return "?";
    return (view.stale ? "~" : "") + Fixed(value);
}

std::string LastFaultText(const LineCounts& counts, bool colour) {
    const std::optional<Fault> recent = counts.MostRecent();
    if (!recent) return "-";
    return Paint(std::string(FaultLabel(*recent)) + " " + ClockText(counts.Of(*recent).last), FaultColour(*recent),
                 colour);
}

std::string CountText(uint64_t count) { return std::to_string(count); }

// "NAK 12 14:02:11, bad block check 3 14:01:50": every kind seen, the latest first.
std::string FaultsText(const LineCounts& counts, bool colour, const char* count, const char* last) {
    std::vector<Fault> seen;
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        if (counts.faults[kind].count > 0) seen.push_back(static_cast<Fault>(kind));
    }
    std::sort(seen.begin(), seen.end(), [&counts](Fault a, Fault b) { return counts.Of(a).last > counts.Of(b).last; });
    std::string text;
    for (const Fault fault : seen) {
        text += (text.empty() ? "" : ", ") +
                Paint(std::string(FaultName(fault)) + count + CountText(counts.Of(fault).count) + last +
                          ClockText(counts.Of(fault).last),
                      FaultColour(fault), colour);
    }
    return text.empty() ? "none" : text;
}

// "cannot open /dev/ttyS9: No such file or directory": the device named once.
std::string DeviceTrouble(const PointView& view) {
    return view.openError.find(view.device) != std::string::npos ? view.openError : view.device + ": " + view.openError;
}

std::size_t LastWidth(const TableLook& look, std::size_t used) {
    if (look.columns == 0) return 1000;  // no limit
    return std::max<std::size_t>(kLeastLast, static_cast<std::size_t>(look.columns) > used + 1
                                                 ? static_cast<std::size_t>(look.columns) - used - 1
                                                 : 0);
}

}  // namespace

std::string StateText(const PointRow& row) {
    const PointView& view = row.view;
    switch (view.condition) {
        case Condition::kStarting: return "starting";
        case Condition::kDeviceMissing: return DeviceTrouble(view);
        case Condition::kFailed: {
            const std::string gloss = DriverGloss(view.failure);
            return "FAILED" + (gloss.empty() ? "" : ": " + gloss);
        }
        case Condition::kUnanswered:
            return view.roundFault ? std::string("NOT REACHED: ") + FaultLabel(*view.roundFault) : "NO ANSWER";
        case Condition::kAnswering: break;
    }
    if (row.counts.switchedOff && view.code == 0xC0) return "switched off";
    return sbdecode::ReadStateCode(view.code).meaning;
}

bool Answering(const PointRow& row) {
    return row.view.condition == Condition::kAnswering || row.view.condition == Condition::kFailed;
}

std::string HeadingLine(const TableLook& look) {
    std::string line = Cell("PT", kPoint) + " " + (Wide(look) ? Cell("LINE", kDevice) + " " : "");
    if (look.faults) return line + "FAULTS, THE LATEST FIRST: KIND COUNT LAST";
    line += Cell("CODE", kCode) + " " + Cell("STATE", kState) + " " + Cell("VOLUME", kVolume, true) + " " +
            Cell("AMOUNT", kAmount, true) + " " + Cell("LR", kLineResult, true) + " " + Cell("AGE", kAge, true) + " ";
    if (Wide(look)) {
        line += Cell("EXCH", kCount, true) + " " + Cell("RETRY", kCount, true) + " " + Cell("NAK", kCount, true) + " " +
                Cell("SILENT", kCount, true) + " ";
    }
    return line + "LAST FAULT";
}

std::string PointLine(const PointRow& row, const TableLook& look) {
    const PointView& view = row.view;
    std::string line =
        Cell(std::to_string(view.point), kPoint, true) + " " + (Wide(look) ? Cell(view.device, kDevice) + " " : "");
    if (look.faults) {
        const std::string faults = FaultsText(row.counts, false, " ", " ");
        const std::size_t width = LastWidth(look, TextWidth(line));
        // Cut without its colours, then painted kind by kind only when it fits whole.
        return line + (look.colour && TextWidth(faults) <= width ? FaultsText(row.counts, true, " ", " ")
                                                                 : Cell(faults, width));
    }
    const bool polled = view.condition != Condition::kStarting && view.condition != Condition::kDeviceMissing;
    line += Cell(polled ? Hex(view.code) : "--", kCode) + " ";
    const std::string state = StateText(row);
    const char* colour = RowColour(row);
    if (view.condition == Condition::kDeviceMissing) {
        line += Paint(Cell(state, kTroubleSpan), colour, look.colour) + " ";
    } else {
        line += Paint(Cell(state, kState), colour, look.colour) + " " +
                Cell(FigureText(view, view.figures.volume), kVolume, true) + " " +
                Cell(FigureText(view, view.figures.amount), kAmount, true) + " " +
                Cell(polled ? std::to_string(view.lineResult) : "-", kLineResult, true) + " " +
                Cell(AgeText(row.counts), kAge, true) + " ";
    }
    if (Wide(look)) {
        const LineCounts& counts = row.counts;
        line += Cell(CountText(counts.exchanges), kCount, true) + " " + Cell(CountText(counts.retries), kCount, true) +
                " " + Cell(CountText(counts.Of(Fault::kNak).count), kCount, true) + " " +
                Cell(CountText(counts.silentPolls), kCount, true) + " ";
    }
    // A failed call's own words take the last column, its gloss after them: the state column cuts the gloss.
    if (view.condition == Condition::kFailed) {
        const std::string gloss = DriverGloss(view.failure);
        return line +
               Paint(Cell(view.failure + (gloss.empty() ? "" : " (" + gloss + ")"), LastWidth(look, TextWidth(line))),
                     kRed, look.colour);
    }
    return line + LastFaultText(row.counts, look.colour);
}

std::string FaultSummary(const std::vector<PointRow>& rows, bool colour) {
    std::string text = "Faults, point by point (kind, count, the last one):\n";
    for (const PointRow& row : rows) {
        const PointView& view = row.view;
        text += "point " + std::to_string(view.point) + " (" + view.device +
                "): " + FaultsText(row.counts, colour, " ", " last ") + "\n";
        if (!view.openError.empty()) text += "    " + DeviceTrouble(view) + "\n";
        if (!view.lastFailure.empty()) {
            const std::string gloss = DriverGloss(view.lastFailure);
            text += "    the driver's latest failure" + (gloss.empty() ? "" : ": " + gloss) + "; in its words:\n";
            text += "    " + view.lastFailure + "\n";
        }
    }
    return text;
}

}  // namespace sbhost
