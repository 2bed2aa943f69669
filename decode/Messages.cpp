#include "decode/Messages.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "decode/StateMeaning.h"
#include "operations/CommandCatalogue.h"
#include "operations/ReplyDecoders.h"

namespace sbdecode {
namespace {

constexpr int32_t kDefaultScale = 100;
constexpr std::size_t kHeaderLength = 4;
constexpr std::size_t kCodeAt = 4;
constexpr std::size_t kCodeLength = 6;

// The name of each command and of the fields an operation fills, in the catalogue's order.
struct Naming {
    const char* name;
    std::array<const char*, 6> fields;
};
const std::array<Naming, sb::kCommandCount> kNaming{{
    {"STATUS REQUEST", {}},
    {"STATUS FOLLOW-UP", {"toggle"}},
    {"START", {"point code", "grade", "price", "preset", "preset kind", "start mode"}},
    {"GET DATA TRANSACTION", {"point code"}},
    {"GET COUNTER", {"point code"}},
    {"FILLING POINT CONTROL", {"point code", "switch"}},
    {"INITIALISATION", {"point code"}},
    {"MASTER RESET", {}},
    {"IDENTIFICATION REQUEST", {}},
    {"RESET CONFIRMATION", {"first character", "channel"}},
    {"LINK UNIT COUNTER", {}},
}};

std::string Money(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

double Digits(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// Walks the entry's pieces over the text: fixed text must be there, fields take their width. The fields read,
// or false when the text is not this command's.
bool MatchEntry(const sb::CommandEntry& entry, const std::string& text, std::vector<std::string>* fields) {
    std::size_t at = 0;
    if (entry.channel != sb::kNoHeader) {
        if (text.size() < kHeaderLength || text[0] != '0' || text[1] != entry.channel) return false;
        at = kHeaderLength;
    }
    for (const sb::RequestPiece& piece : entry.pieces) {
        if (!piece.fixed.empty()) {
            if (text.compare(at, piece.fixed.size(), piece.fixed.data(), piece.fixed.size()) != 0) return false;
            at += piece.fixed.size();
        } else if (piece.width != 0) {
            if (at + piece.width > text.size()) return false;
            fields->push_back(text.substr(at, piece.width));
            at += piece.width;
        }
    }
    return at == text.size();
}

// START's fields in words: the grade, the price, the preset with its kind.
void ReadStart(const std::vector<std::string>& raw, Message* message) {
    message->grade = std::atoi(raw[1].c_str());
    message->price = Digits(raw[2]) / kDefaultScale;
    message->preset = Money(Digits(raw[3]) / kDefaultScale) + (raw[4] == "1" ? " l" : " money");
    message->fields = {
        {"grade", raw[1]}, {"price", Money(message->price)}, {"preset", message->preset}, {"start mode", raw[5]}};
}

Message ReadStatusReport(const std::string& text) {
    const std::optional<sb::StatusReport> report =
        sb::DecodeStatusReport(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    Message message{"status report", {}};
    message.status = static_cast<char>(report->statusChar);
    message.fields = {{"status", std::string(1, message.status) + " (" + StatusMeaning(message.status) + ")"},
                      {"digit", std::to_string(report->digit)},
                      {"sequence", std::string(1, text[2])}};
    if (report->resetAsked) message.fields.push_back({"asks", "MASTER RESET"});
    return message;
}

// The driver reads volume and amount; grade (12..13), nozzle (14), price (21..25) and the status (32) are the
// dispenser's too.
Message ReadDeliveryReply(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    Message message{"GET DATA TRANSACTION reply", {}};
    const std::optional<sb::DeliveryFigures> figures = sb::DecodeDeliveryReply(bytes, text.size(), kDefaultScale);
    if (!figures) {
        message.fields = {{"figures", "not digits: \"" + text + "\""}};
        return message;
    }
    message.figures = true;
    message.grade = std::atoi(text.substr(12, 2).c_str());
    message.nozzle = std::atoi(text.substr(14, 1).c_str());
    message.volume = figures->volume;
    message.amount = figures->amount;
    message.price = Digits(text.substr(21, 5)) / kDefaultScale;
    message.status = text[32];
    message.fields = {{"grade", std::to_string(message.grade)},
                      {"nozzle", text.substr(14, 1)},
                      {"volume", Money(message.volume) + " l"},
                      {"price", Money(message.price)},
                      {"amount", Money(message.amount)},
                      {"status", std::string(1, message.status) + " (" + StatusMeaning(message.status) + ")"}};
    return message;
}

Message ReadCounterReply(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    Message message{"GET COUNTER reply", {}};
    for (int32_t grade = 1; grade <= sb::kCounterReply.records; ++grade) {
        const std::optional<sb::CounterTotals> totals =
            sb::DecodeCounterRecord(bytes, text.size(), grade, kDefaultScale);
        message.fields.push_back({"grade " + std::to_string(grade),
                                  totals ? Money(totals->volume) + " l " + Money(totals->amount) : "not digits"});
    }
    return message;
}

}  // namespace

Message ReadRequest(const std::string& text) {
    for (std::size_t i = 0; i < sb::kCommandCount; ++i) {
        const sb::CommandEntry& entry = sb::CatalogueEntry(static_cast<sb::Command>(i));
        std::vector<std::string> raw;
        if (!MatchEntry(entry, text, &raw)) continue;
        Message message{kNaming[i].name, {}};
        if (entry.command == sb::Command::Start) {
            ReadStart(raw, &message);
        } else {
            for (std::size_t k = 0; k < raw.size(); ++k) message.fields.push_back({kNaming[i].fields[k], raw[k]});
        }
        if (entry.command == sb::Command::FillingPointControl) message.fields[1].value = raw[1] == "1" ? "on" : "off";
        if (entry.channel != sb::kNoHeader) {
            message.fields.insert(
                message.fields.begin(),
                {{"channel", text.substr(1, 1)}, {"sequence", text.substr(2, 1)}, {"request byte", text.substr(3, 1)}});
        }
        return message;
    }
    return Message{"unknown request", {{"text", text}}};
}

Message ReadReply(const std::string& text) {
    const std::string code = text.size() >= kCodeAt + kCodeLength ? text.substr(kCodeAt, kCodeLength) : "";
    if (text.size() == sb::kStatusReport.length) return ReadStatusReport(text);
    if (text.size() == sb::kDeliveryReply.length) return ReadDeliveryReply(text);
    if (text.size() == sb::kCounterReply.length) return ReadCounterReply(text);
    if (text.size() == kHeaderLength) {
        switch (text[2]) {
            case '8': return Message{"WAIT", {{"channel", text.substr(1, 1)}}};
            case '9': return Message{"REFUSAL", {{"channel", text.substr(1, 1)}}};
            case '?': return Message{"RESET REQUEST", {{"channel", text.substr(1, 1)}}};
            default:
                return Message{"acknowledgement", {{"channel", text.substr(1, 1)}, {"sequence", text.substr(2, 1)}}};
        }
    }
    if (code == "9999ZD") return Message{"IDENTIFICATION", {{"identity", text.substr(kCodeAt + kCodeLength)}}};
    return Message{"reply of " + std::to_string(text.size()) + " characters", {{"text", text}}};
}

std::string MessageText(const Message& message) {
    std::string text = message.name;
    for (std::size_t i = 0; i < message.fields.size(); ++i)
        text += (i == 0 ? ": " : ", ") + message.fields[i].name + " " + message.fields[i].value;
    return text;
}

}  // namespace sbdecode
