#include "host/report/ReportSvg.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "decode/StateMeaning.h"
#include "host/report/ReportOutages.h"

namespace sbhost {
namespace {

constexpr double kWidth = 960;
constexpr double kLeft = 90;  // room for the row labels
constexpr double kRight = 20;
constexpr double kBand = 22;    // height of a band of states
constexpr double kCurve = 140;  // height of the volume curves and the line's bars
constexpr double kAxis = 28;    // room for the time labels
constexpr int kMaxTicks = 8;
constexpr int kSlices = 60;  // time slices of a line's bars
constexpr const char* kNotReported = "#eeeeee";

// Tick steps in milliseconds, each a round time on a clock; longer recordings tick at whole days.
constexpr int64_t kTickSteps[] = {1,      2,      5,       10,      20,      50,       100,      200,     500,
                                  1000,   2000,   5000,    10000,   15000,   30000,    60000,    120000,  300000,
                                  600000, 900000, 1800000, 3600000, 7200000, 10800000, 21600000, 43200000};
constexpr int64_t kDayMs = 24LL * 3600 * 1000;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// How much of "hh:mm:ss.zzz" a tick's label needs for its step: "14:47", "14:47:30", "14:47:30.5"...
std::size_t LabelLength(int64_t stepMs) {
    if (stepMs % 60000 == 0) return 5;
    if (stepMs % 1000 == 0) return 8;
    if (stepMs % 100 == 0) return 10;
    return stepMs % 10 == 0 ? 11 : 12;
}

// Time on the x axis of the whole recording.
class TimeAxis {
public:
    explicit TimeAxis(const ReportModel& model)
        : first_(model.firstMs), span_(std::max<int64_t>(model.lastMs - model.firstMs, 1)) {}
    double X(int64_t timeMs) const {
        return kLeft + (kWidth - kLeft - kRight) * static_cast<double>(timeMs - first_) / static_cast<double>(span_);
    }
    // Which of `count` equal slices of the axis holds the time; a time off the axis goes to the nearer end.
    std::size_t Slice(int64_t timeMs, int count) const {
        return static_cast<std::size_t>(std::clamp<int64_t>((timeMs - first_) * count / span_, 0, count - 1));
    }
    // Ticks at round clock times along y, at most kMaxTicks of them.
    std::string Ticks(double y) const {
        int64_t step = (span_ / kMaxTicks / kDayMs + 1) * kDayMs;
        for (const int64_t round : kTickSteps) {
            if (span_ / round < kMaxTicks) {
                step = round;
                break;
            }
        }
        const std::size_t shown = LabelLength(step);
        std::string svg;
        // At most kMaxTicks + 1 steps lie on the axis.
        for (int64_t time = (first_ + step - 1) / step * step; time <= first_ + span_; time += step) {
            const double at = X(time);
            const std::string x = Number(at);
            svg += "<line x1=\"" + x + "\" y1=\"" + Number(y - 4) + "\" x2=\"" + x + "\" y2=\"" + Number(y) +
                   "\" stroke=\"#555\"/><text x=\"" + x + "\" y=\"" + Number(y + 14) +
                   "\" font-size=\"11\" text-anchor=\"" + (at > kWidth - kRight - 40 ? "end" : "middle") + "\">" +
                   sbdecode::ClockText(time).substr(0, shown) + "</text>";
        }
        return svg;
    }

private:
    int64_t first_;
    int64_t span_;
};

using sbdecode::Fault;

// The outages' hatchings, one pattern a kind of fault on the line.
const char* FaultColour(Fault fault) {
    switch (fault) {
        case Fault::kNoAnswer: return "#de2d26";
        case Fault::kNak: return "#e7298a";
        case Fault::kBadCheck: return "#ff7f00";
        case Fault::kNoise: return "#b8860b";
        case Fault::kRefused: return "#252525";
        case Fault::kWait: return "#8c6bb1";
        default: return "#ffffff";
    }
}

std::string FaultFill(Fault fault) { return std::string("url(#fault-") + sbdecode::FaultKey(fault) + ")"; }

std::string Open(double height) {
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" viewBox=\"0 0 " + Number(kWidth) + " " +
                      Number(height) + "\" font-family=\"sans-serif\"><defs>";
    for (std::size_t kind = 0; kind < sbdecode::kFaultKinds; ++kind) {
        const Fault fault = static_cast<Fault>(kind);
        if (!sbdecode::KindOf(fault).onTheLine) continue;
        svg += std::string("<pattern id=\"fault-") + sbdecode::FaultKey(fault) +
               "\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
               "<rect width=\"6\" height=\"6\" fill=\"white\"/><rect width=\"3\" height=\"6\" fill=\"" +
               FaultColour(fault) + "\"/></pattern>";
    }
    return svg + "</defs><rect width=\"100%\" height=\"100%\" fill=\"white\"/>";
}

std::string Rect(double x, double y, double width, double height, const std::string& fill) {
    return "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(std::max(width, 0.5)) +
           "\" height=\"" + Number(height) + "\" fill=\"" + fill + "\"/>";
}

// A rectangle that names what it marks, for the reader who points at it.
std::string TitledRect(double x, double y, double width, double height, const std::string& fill,
                       const std::string& title) {
    std::string rect = Rect(x, y, width, height, fill);
    return rect.substr(0, rect.size() - 2) + "><title>" + title + "</title></rect>";
}

std::string Label(double x, double y, const std::string& text) {
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" font-size=\"12\">" + text + "</text>";
}

// Each run of failed exchanges of one kind hatched from its first to the point's next exchange that tells of the
// dispenser otherwise (the last to the end of the recording): while no answer comes well, what the dispenser does
// is not known. Each hatching names its fault and its stretch.
std::string OutageHatching(const TimeAxis& axis, const PointHistory& history, int64_t endMs, double y) {
    std::string svg;
    std::optional<Fault> open;
    int64_t from = 0;
    const auto hatch = [&](int64_t until) {
        svg += TitledRect(axis.X(from), y, axis.X(until) - axis.X(from), kBand, FaultFill(*open),
                          std::string(sbdecode::FaultName(*open)) + " " + sbdecode::ClockText(from) + "\u2013" +
                              sbdecode::ClockText(until));
    };
    for (const LineEvent& event : history.line) {
        if (!event.told || event.fault == open) continue;
        if (open) hatch(event.timeMs);
        open = event.fault;
        from = event.timeMs;
    }
    if (open) hatch(endMs);
    return svg;
}

// A band of the point's states at y, each lasting to the next report (the last to the end of the recording),
// its outages hatched over it.
std::string StateBand(const TimeAxis& axis, const PointHistory& history, int64_t endMs, double y) {
    std::string svg = Rect(kLeft, y, kWidth - kLeft - kRight, kBand, kNotReported);
    const std::vector<StateSample>& states = history.states;
    for (std::size_t i = 0; i < states.size();) {
        std::size_t next = i + 1;
        while (next < states.size() && StatusColour(states[next].status) == StatusColour(states[i].status)) ++next;
        const int64_t until = next < states.size() ? states[next].timeMs : endMs;
        svg += Rect(axis.X(states[i].timeMs), y, axis.X(until) - axis.X(states[i].timeMs), kBand,
                    StatusColour(states[i].status));
        i = next;
    }
    return svg + OutageHatching(axis, history, endMs, y);
}

// Every colour and hatching the bands use: the states four to a row ("?" stands for any other status
// character) and no state reported yet, then a row of the outages' kinds of fault.
constexpr char kLegendStates[] = "0123456789?";
constexpr std::size_t kLegendColumns = 4;
constexpr double kLegendRows = (sizeof kLegendStates - 1 + 1 + kLegendColumns - 1) / kLegendColumns + 1;

std::string LegendEntry(double x, double y, const std::string& fill, const std::string& words,
                        const std::string& title = "") {
    return (title.empty() ? Rect(x, y, 12, 12, fill) : TitledRect(x, y, 12, 12, fill, title)) +
           Label(x + 16, y + 11, words);
}

std::string Legend(double y) {
    std::vector<std::pair<std::string, std::string>> states;  // fill, words
    for (const char* status = kLegendStates; *status != '\0'; ++status)
        states.emplace_back(StatusColour(*status), sbdecode::StatusMeaning(*status));
    states.emplace_back(kNotReported, "no state reported yet");
    std::string svg;
    for (std::size_t i = 0; i < states.size(); ++i) {
        svg += LegendEntry(kLeft + 215 * static_cast<double>(i % kLegendColumns),
                           y + 18 * static_cast<double>(i / kLegendColumns), states[i].first, states[i].second);
    }
    const double faults = y + 18 * (kLegendRows - 1);
    double x = kLeft;
    for (std::size_t kind = 0; kind < sbdecode::kFaultKinds; ++kind) {
        const sbdecode::FaultKind& words = sbdecode::KindOf(static_cast<Fault>(kind));
        if (!words.onTheLine) continue;
        svg += LegendEntry(x, faults, FaultFill(static_cast<Fault>(kind)), words.name,
                           std::string(words.russian) + ": " + words.told);
        x += 140;
    }
    return svg;
}

// The times of the point's failed exchanges, in order.
std::vector<int64_t> FailureTimes(const PointHistory& history) {
    std::vector<int64_t> times;
    for (const LineEvent& event : history.line) {
        if (event.told && event.fault) times.push_back(event.timeMs);
    }
    std::sort(times.begin(), times.end());
    return times;
}

// A delivery's volume curve between yTop (topVolume) and yBottom (0 l), broken where an exchange failed
// between two readings: what the dispenser did there is not known.
std::string VolumeCurve(const TimeAxis& axis, const Delivery& delivery, const std::vector<int64_t>& failures,
                        double yTop, double yBottom, double topVolume) {
    if (delivery.curve.empty()) return "";
    const std::string line = std::string("<polyline fill=\"none\" stroke=\"#08519c\" stroke-width=\"2\"") +
                             (Interrupted(delivery) ? " stroke-dasharray=\"6 4\"" : "") + " points=\"";
    std::string svg = line;
    for (std::size_t i = 0; i < delivery.curve.size(); ++i) {
        const VolumeSample& sample = delivery.curve[i];
        if (i > 0) {
            const auto failed = std::upper_bound(failures.begin(), failures.end(), delivery.curve[i - 1].timeMs);
            if (failed != failures.end() && *failed < sample.timeMs) svg += "\"/>" + line;
        }
        svg +=
            Number(axis.X(sample.timeMs)) + "," + Number(yBottom - (yBottom - yTop) * sample.volume / topVolume) + " ";
    }
    return svg + "\"/>";
}

}  // namespace

const char* StatusColour(char status) {
    switch (status) {
        case '0': return "#9ecae1";
        case '1': return "#fdd049";
        case '2':
        case ':':
        case ';': return "#31a354";
        case '3': return "#a1d99b";
        case '4': return "#756bb1";
        case '5': return "#fd8d3c";
        case '6': return "#e6550d";
        case '7': return "#636363";
        case '8': return "#4292c6";
        case '9': return "#a63603";
        default: return "#f768a1";
    }
}

std::string OverviewSvg(const ReportModel& model) {
    const TimeAxis axis(model);
    const double height = 30 + kBand * 1.4 * static_cast<double>(model.points.size()) + kAxis + 18 * kLegendRows + 8;
    std::string svg = Open(height);
    double y = 20;
    for (const auto& point : model.points) {
        svg += Label(8, y + 15, "point " + std::to_string(point.first));
        svg += StateBand(axis, point.second, model.lastMs, y);
        y += kBand * 1.4;
    }
    svg += axis.Ticks(y + 4) + Legend(y + kAxis) + "</svg>";
    return svg;
}

std::string PointSvg(const ReportModel& model, unsigned point) {
    const TimeAxis axis(model);
    const PointHistory& history = model.points.at(point);
    double top = 0.01;
    for (const Delivery& delivery : history.deliveries) top = std::max(top, delivery.volume);
    const double curveTop = 20 + kBand + 16;
    std::string svg = Open(curveTop + kCurve + kAxis + 8);
    svg += Label(8, 35, "states") + StateBand(axis, history, model.lastMs, 20);
    svg += Label(8, curveTop + 12, Number(top) + " l") + Label(8, curveTop + kCurve, "0 l");
    svg += Rect(kLeft, curveTop + kCurve, kWidth - kLeft - kRight, 1, "#555");
    const std::vector<int64_t> failures = FailureTimes(history);
    for (const Delivery& delivery : history.deliveries)
        svg += VolumeCurve(axis, delivery, failures, curveTop, curveTop + kCurve, top);
    return svg + axis.Ticks(curveTop + kCurve + 14) + "</svg>";
}

std::string LineSvg(const ReportModel& model, unsigned point) {
    const TimeAxis axis(model);
    struct Slice {
        int answered = 0, retries = 0, amiss = 0, silent = 0;
    };
    std::vector<Slice> slices(kSlices);
    for (const LineEvent& event : model.points.at(point).line) {
        Slice& slice = slices[axis.Slice(event.timeMs, kSlices)];
        // A block sent again and answered amiss counts as the fault it met.
        if (event.fault == Fault::kNoAnswer) ++slice.silent;
        else if (event.fault) ++slice.amiss;
        else if (event.retry) ++slice.retries;
        else ++slice.answered;
    }
    int top = 1;
    for (const Slice& slice : slices) top = std::max(top, slice.answered + slice.retries + slice.amiss + slice.silent);
    const double base = 20 + kCurve;
    const double width = (kWidth - kLeft - kRight) / kSlices;
    std::string svg = Open(base + kAxis + 28);
    svg += Label(8, 32, std::to_string(top)) + Label(8, base, "0");
    const char* const colours[] = {"#9e9e9e", "#fd8d3c", "#8c6bb1", "#de2d26"};
    for (int i = 0; i < kSlices; ++i) {
        const Slice& slice = slices[static_cast<std::size_t>(i)];
        double y = base;
        const int parts[] = {slice.answered, slice.retries, slice.amiss, slice.silent};
        for (std::size_t part = 0; part < 4; ++part) {
            const double height = kCurve * parts[part] / top;
            y -= height;
            if (parts[part] > 0) svg += Rect(kLeft + width * i + 1, y, width - 2, height, colours[part]);
        }
    }
    svg += axis.Ticks(base + 14);
    const char* const words[] = {"answered", "blocks sent again",
                                 "answered amiss (NAK, bad check, noise, refused, wait)", "no answer"};
    const double at[] = {0, 110, 270, 640};
    for (std::size_t part = 0; part < 4; ++part) {
        svg += Rect(kLeft + at[part], base + kAxis + 6, 12, 12, colours[part]) +
               Label(kLeft + at[part] + 16, base + kAxis + 17, words[part]);
    }
    return svg + "</svg>";
}

}  // namespace sbhost
