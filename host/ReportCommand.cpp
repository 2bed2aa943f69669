#include "host/ReportCommand.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "host/PointSession.h"
#include "host/RecordingFile.h"
#include "host/ReportSvg.h"

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

std::string DeliveryTable(const ReportModel& model) {
    std::string html =
        "<table><tr><th>point</th><th>grade</th><th>from</th><th>last figures</th><th>volume (l)</th>"
        "<th>price</th><th>amount</th><th>readings</th></tr>\n";
    for (const Delivery& delivery : model.Deliveries()) {
        html += "<tr><td>" + std::to_string(delivery.point) + "</td><td>" + std::to_string(delivery.grade) +
                "</td><td>" + sbdecode::ClockText(delivery.startMs) + "</td><td>" +
                sbdecode::ClockText(delivery.curve.back().timeMs) + "</td><td>" + Fixed(delivery.volume) +
                "</td><td>" + Fixed(delivery.price) + "</td><td>" + Fixed(delivery.amount) + "</td><td>" +
                std::to_string(delivery.curve.size()) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string FailureTable(const ReportModel& model) {
    if (model.failures.empty()) return "";
    std::string html = "<h2>Failures returned to the host</h2>\n<table><tr><th>time</th><th>point</th><th>slot</th>"
                       "<th>failure</th></tr>\n";
    for (const ReturnedFailure& failure : model.failures) {
        html += "<tr><td>" + sbdecode::ClockText(failure.timeMs) + "</td><td>" +
                (failure.point == 0 ? "-" : std::to_string(failure.point)) + "</td><td>" +
                std::to_string(failure.slot) + "</td><td>" + Escaped(failure.text) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string Page(const ReportModel& model, const std::string& source) {
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Dispenser lines: " + Escaped(source) +
        "</title>\n<style>body{font-family:sans-serif;margin:2em;color:#222}table{border-collapse:collapse}"
        "td,th{border:1px solid #bbb;padding:2px 8px;text-align:right}h2{margin-top:1.5em}</style></head><body>\n"
        "<h1>Dispenser lines</h1>\n<p>" + Escaped(source) + ": " + std::to_string(model.exchanges) +
        " exchanges from " + sbdecode::ClockText(model.firstMs) + " to " + sbdecode::ClockText(model.lastMs) +
        ".</p>\n<h2>States of every point</h2>\n" + OverviewSvg(model) + "\n<h2>Deliveries</h2>\n" +
        DeliveryTable(model) + FailureTable(model);
    for (const auto& point : model.points) {
        const std::string n = std::to_string(point.first);
        html += "<h2>Point " + n + "</h2>\n<h3>States and delivery volumes</h3>\n" + PointSvg(model, point.first) +
                "\n<h3>Line " + n + ": exchanges, retries and silences</h3>\n" + LineSvg(model, point.first) + "\n";
    }
    return html + "</body></html>\n";
}

bool ParseReport(const std::vector<std::string>& words, std::string* log, std::string* page) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "--out" && i + 1 < words.size()) {
            *page = words[++i];
        } else if (log->empty() && words[i].rfind("--", 0) != 0) {
            *log = words[i];
        } else {
            return false;
        }
    }
    if (page->empty()) *page = *log + ".html";
    return !log->empty();
}

}  // namespace

const char kReportUsage[] = "sbhost [--json] report LOG [--out PAGE.html]   (default LOG.html)";

int RunReport(const std::vector<std::string>& words, Output& out) {
    std::string log;
    std::string page;
    if (!ParseReport(words, &log, &page)) return 2;
    ReportModel model;
    RecordingVisitor visitor;
    visitor.exchange = [&](const sbdecode::ReadExchange& read) { model.Take(read); };
    visitor.note = [&](const sbdecode::TraceRecord& record) {
        if (record.kind == sbdecode::TraceRecord::Kind::kFailure)
            model.failures.push_back({record.timeMs, record.point, record.slot, record.text});
    };
    visitor.unreadable = [](const sbdecode::TraceRecord&) {};
    std::string error;
    if (!ReadRecording(log, visitor, &error)) {
        std::cerr << "sbhost: " << error << "\n";
        return 1;
    }
    if (model.exchanges == 0) {
        std::cerr << "sbhost: " << log << " records no exchange with a time to draw\n";
        return 1;
    }
    std::ofstream file(page, std::ios::binary);
    file << Page(model, log);
    file.close();
    if (!file) {
        std::cerr << "sbhost: cannot write " << page << "\n";
        return 1;
    }
    const std::size_t deliveries = model.Deliveries().size();
    out.Emit("report " + page + ": " + std::to_string(model.points.size()) + " points, " +
                 std::to_string(deliveries) + " deliveries, " + std::to_string(model.exchanges) + " exchanges",
             JsonObject()
                 .Text("event", "report")
                 .Text("page", page)
                 .Number("points", static_cast<long long>(model.points.size()))
                 .Number("deliveries", static_cast<long long>(deliveries))
                 .Number("exchanges", static_cast<long long>(model.exchanges)));
    return 0;
}

}  // namespace sbhost
