#include "host/report/ReportPage.h"

#include "decode/Conversation.h"
#include "host/program/Output.h"
#include "host/report/ReportOutages.h"
#include "host/report/ReportSvg.h"

namespace sbhost {
namespace {

std::string Escaped(const std::string& text) {
    std::string html;
    for (const char c : text) {
        switch (c) {
            case '&': html += "&amp;"; break;
            case '<': html += "&lt;"; break;
            case '>': html += "&gt;"; break;
            case '"': html += "&quot;"; break;
            default: html += c;
        }
    }
    return html;
}

// An interrupted delivery's row stands out: its figures are the last seen, not the sale's.
std::string DeliveryTable(const ReportModel& model) {
    std::string html =
        "<table><tr><th>point</th><th>grade</th><th>nozzle</th><th>preset</th><th>from</th><th>last figures</th>"
        "<th>volume (l)</th><th>price</th><th>amount</th><th>readings</th><th>figures</th></tr>\n";
    for (const Delivery& delivery : model.Deliveries()) {
        const bool read = !delivery.curve.empty();
        html +=
            std::string(Interrupted(delivery) ? "<tr class=\"caution\">" : "<tr>") + "<td>" +
            std::to_string(delivery.point) + "</td><td>" + std::to_string(delivery.grade) + "</td><td>" +
            (delivery.nozzle > 0 ? std::to_string(delivery.nozzle) : "-") + "</td><td>" +
            (delivery.preset.empty() ? "-" : delivery.preset) + "</td><td>" + sbdecode::ClockText(delivery.startMs) +
            "</td><td>" + (read ? sbdecode::ClockText(delivery.curve.back().timeMs) : "none read") + "</td><td>" +
            (read ? Fixed(delivery.volume) : "-") + "</td><td>" + Fixed(delivery.price) + "</td><td>" +
            (read ? Fixed(delivery.amount) : "-") + "</td><td>" + std::to_string(delivery.curve.size()) + "</td><td>" +
            (delivery.finalRead      ? "final"
             : Interrupted(delivery) ? "interrupted, final not read"
                                     : "not begun") +
            "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string FailureTable(const ReportModel& model) {
    if (model.failures.empty()) return "";
    std::string html =
        "<h2>Failures returned to the host</h2>\n<table><tr><th>time</th><th>point</th><th>slot</th>"
        "<th>failure</th></tr>\n";
    for (const ReturnedFailure& failure : model.failures) {
        html += "<tr><td>" + sbdecode::ClockText(failure.timeMs) + "</td><td>" +
                (failure.point == 0 ? "-" : std::to_string(failure.point)) + "</td><td>" +
                std::to_string(failure.slot) + "</td><td>" + Escaped(failure.text) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

// Each point's outages, the first kOutagesListed of them listed and the rest counted.
std::string OutageList(const ReportModel& model) {
    std::string html = "<h2>Outages</h2>\n<p>Exchanges that failed, with at most " + std::to_string(kMergeGoodAnswers) +
                       " good answers between them (hatched on the states), the longest first: the point's state is "
                       "not known for certain from the first failure to the next good answer.</p>\n<ul>";
    bool any = false;
    for (const auto& point : model.points) {
        const std::vector<Outage> outages = RankedOutages(point.second, model.lastMs);
        const std::string name = "<li>point " + std::to_string(point.first) + ": ";
        std::size_t rest = 0;
        for (std::size_t i = 0; i < outages.size(); ++i) {
            if (i < kOutagesListed) html += name + OutageText(outages[i]) + "</li>\n";
            else rest += outages[i].Exchanges();
        }
        if (outages.size() > kOutagesListed) {
            html += name + std::to_string(outages.size() - kOutagesListed) + " more outages, " + std::to_string(rest) +
                    " exchanges</li>\n";
        }
        any = any || !outages.empty();
    }
    return any ? html + "</ul>\n" : "<h2>Outages</h2>\n<p>None: every answer awaited came, and came well.</p>\n";
}

// " on 2024-05-01 from 12:56:23.397 to 12:58:01.020", the date where the recording's is known, on each end
// when they differ.
std::string Span(const ReportSource& source, const ReportModel& model) {
    const std::string from = sbdecode::ClockText(model.firstMs), to = sbdecode::ClockText(model.lastMs);
    if (!source.date) return " from " + from + " to " + to;
    const std::string first = source.date->Of(model.firstMs), last = source.date->Of(model.lastMs);
    if (first == last) return " on " + first + " from " + from + " to " + to;
    return " from " + first + " " + from + " to " + last + " " + to;
}

std::string Heading(const ReportModel& model, const ReportSource& source) {
    std::string html = "<p>" + Escaped(source.files.back()) + ": " + std::to_string(model.exchanges) + " exchanges" +
                       (source.scope.empty() ? "" : " (" + Escaped(source.scope) + ")") + Span(source, model) +
                       ".</p>\n";
    if (source.files.size() > 1) {
        html += "<p>Read as one recording, oldest first:";
        for (const std::string& file : source.files) html += " " + Escaped(file);
        html += ".</p>\n";
    }
    for (const std::string& caution : source.cautions) html += "<p class=\"caution\">" + Escaped(caution) + "</p>\n";
    return html;
}

}  // namespace

std::string ReportPage(const ReportModel& model, const ReportSource& source) {
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Dispenser lines: " + Escaped(source.files.back()) +
        "</title>\n<style>body{font-family:sans-serif;margin:2em;color:#222}table{border-collapse:collapse}"
        "td,th{border:1px solid #bbb;padding:2px 8px;text-align:right}h2{margin-top:1.5em}"
        ".caution{color:#b30000;font-weight:bold}</style></head><body>\n<h1>Dispenser lines</h1>\n" +
        Heading(model, source);
    html += "<h2>States of every point</h2>\n" + OverviewSvg(model) + "\n" + OutageList(model) +
            "<h2>Deliveries</h2>\n" + DeliveryTable(model) + FailureTable(model);
    for (const auto& point : model.points) {
        const std::string n = std::to_string(point.first);
        html += "<h2>Point " + n + "</h2>\n<h3>States and delivery volumes</h3>\n" + PointSvg(model, point.first) +
                "\n<h3>Line " + n + ": exchanges, retries and silences</h3>\n" + LineSvg(model, point.first) + "\n";
    }
    return html + "</body></html>\n";
}

}  // namespace sbhost
