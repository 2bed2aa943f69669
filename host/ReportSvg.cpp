#include "host/ReportSvg.h"

#include <algorithm>
#include <cstdio>

#include "decode/StateMeaning.h"

namespace sbhost {
namespace {

constexpr double kWidth = 960;
constexpr double kLeft = 90;   // room for the row labels
constexpr double kRight = 20;
constexpr double kBand = 22;   // height of a band of states
constexpr double kCurve = 140; // height of the volume curves and the line's bars
constexpr double kAxis = 28;   // room for the time labels
constexpr int kTicks = 6;
constexpr int kSlices = 60;    // time slices of a line's bars

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
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
    // The ticks and their clock times along y.
    std::string Ticks(double y) const {
        std::string svg;
        // Tenths of a second where the recording is short enough for whole seconds to repeat.
        const std::size_t shown = span_ < 60 * 1000 ? 10 : 8;
        for (int i = 0; i <= kTicks; ++i) {
            const int64_t time = first_ + span_ * i / kTicks;
            const std::string x = Number(X(time));
            const char* anchor = i == 0 ? "start" : (i == kTicks ? "end" : "middle");
            svg += "<line x1=\"" + x + "\" y1=\"" + Number(y - 4) + "\" x2=\"" + x + "\" y2=\"" + Number(y) +
                   "\" stroke=\"#555\"/><text x=\"" + x + "\" y=\"" + Number(y + 14) +
                   "\" font-size=\"11\" text-anchor=\"" + anchor + "\">" + sbdecode::ClockText(time).substr(0, shown) +
                   "</text>";
        }
        return svg;
    }

private:
    int64_t first_;
    int64_t span_;
};

std::string Open(double height) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(kWidth) + "\" height=\"" + Number(height) +
           "\" viewBox=\"0 0 " + Number(kWidth) + " " + Number(height) +
           "\" font-family=\"sans-serif\"><rect width=\"100%\" height=\"100%\" fill=\"white\"/>";
}

std::string Rect(double x, double y, double width, double height, const char* fill) {
    return "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(std::max(width, 0.5)) +
           "\" height=\"" + Number(height) + "\" fill=\"" + fill + "\"/>";
}

std::string Label(double x, double y, const std::string& text) {
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" font-size=\"12\">" + text + "</text>";
}

// A band of the point's states at y, each lasting to the next report (the last to the end of the recording).
std::string StateBand(const TimeAxis& axis, const PointHistory& history, int64_t endMs, double y) {
    std::string svg = Rect(kLeft, y, kWidth - kLeft - kRight, kBand, "#eeeeee");
    const std::vector<StateSample>& states = history.states;
    for (std::size_t i = 0; i < states.size();) {
        std::size_t next = i + 1;
        while (next < states.size() && states[next].status == states[i].status) ++next;
        const int64_t until = next < states.size() ? states[next].timeMs : endMs;
        svg += Rect(axis.X(states[i].timeMs), y, axis.X(until) - axis.X(states[i].timeMs), kBand,
                    StatusColour(states[i].status));
        i = next;
    }
    return svg;
}

// The colours of the states, four to a row.
constexpr double kLegendRows = 2;
std::string Legend(double y) {
    std::string svg;
    const std::string shown = "01234579";
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const double x = kLeft + 215 * static_cast<double>(i % 4);
        const double row = y + 18 * static_cast<double>(i / 4);
        svg += Rect(x, row, 12, 12, StatusColour(shown[i])) + Label(x + 16, row + 11, sbdecode::StatusMeaning(shown[i]));
    }
    return svg;
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
        case '7': return "#636363";
        default: return "#e6550d";
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
    for (const Delivery& delivery : history.deliveries) {
        std::string points;
        for (const VolumeSample& sample : delivery.curve)
            points += Number(axis.X(sample.timeMs)) + "," + Number(curveTop + kCurve * (1 - sample.volume / top)) + " ";
        svg += "<polyline fill=\"none\" stroke=\"#08519c\" stroke-width=\"2\"" +
               std::string(Interrupted(delivery) ? " stroke-dasharray=\"6 4\"" : "") + " points=\"" + points + "\"/>";
    }
    return svg + axis.Ticks(curveTop + kCurve + 14) + "</svg>";
}

std::string LineSvg(const ReportModel& model, unsigned point) {
    const TimeAxis axis(model);
    struct Slice {
        int answered = 0, retries = 0, silent = 0;
    };
    std::vector<Slice> slices(kSlices);
    for (const LineEvent& event : model.points.at(point).line) {
        Slice& slice = slices[axis.Slice(event.timeMs, kSlices)];
        if (event.silent) ++slice.silent;
        else if (event.retry) ++slice.retries;
        else ++slice.answered;
    }
    int top = 1;
    for (const Slice& slice : slices) top = std::max(top, slice.answered + slice.retries + slice.silent);
    const double base = 20 + kCurve;
    const double width = (kWidth - kLeft - kRight) / kSlices;
    std::string svg = Open(base + kAxis + 28);
    svg += Label(8, 32, std::to_string(top)) + Label(8, base, "0");
    for (int i = 0; i < kSlices; ++i) {
        const Slice& slice = slices[static_cast<std::size_t>(i)];
        double y = base;
        const std::pair<int, const char*> parts[] = {
            {slice.answered, "#9e9e9e"}, {slice.retries, "#fd8d3c"}, {slice.silent, "#de2d26"}};
        for (const auto& part : parts) {
            const double height = kCurve * part.first / top;
            y -= height;
            if (part.first > 0) svg += Rect(kLeft + width * i + 1, y, width - 2, height, part.second);
        }
    }
    svg += axis.Ticks(base + 14);
    svg += Rect(kLeft, base + kAxis + 6, 12, 12, "#9e9e9e") + Label(kLeft + 16, base + kAxis + 17, "answered") +
           Rect(kLeft + 110, base + kAxis + 6, 12, 12, "#fd8d3c") +
           Label(kLeft + 126, base + kAxis + 17, "blocks sent again") +
           Rect(kLeft + 300, base + kAxis + 6, 12, 12, "#de2d26") +
           Label(kLeft + 316, base + kAxis + 17, "no answer");
    return svg + "</svg>";
}

}  // namespace sbhost
