// libFuzzer target: arbitrary bytes straight into every reply decoder, and arbitrary field texts into the request
// builder. Nothing may read or write out of bounds, and what comes back must be what the layouts allow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "operations/CommandCatalogue.h"
#include "operations/ReplyDecoders.h"

namespace {

constexpr size_t kPrefix = 5;  // the selector byte and the amount scale
constexpr size_t kMaxFields = sb::kMaxPieces + 1;

void Check(bool holds) {
    if (!holds) std::abort();
}

void DecodeAll(const uint8_t* reply, size_t length, int32_t grade, int32_t scale) {
    if (const auto report = sb::DecodeStatusReport(reply, length)) {
        Check(length == sb::kStatusReport.length && report->statusChar == reply[sb::kStatusReport.statusAt]);
    }
    if (const auto figures = sb::DecodeDeliveryReply(reply, length, scale)) {
        Check(length == sb::kDeliveryReply.length && figures->volume >= 0 && figures->volume <= 9999.99 &&
              std::isfinite(figures->amount));
    }
    if (const auto totals = sb::DecodeCounterRecord(reply, length, grade, scale)) {
        Check(length == sb::kCounterReply.length && grade >= 1 && grade <= sb::kCounterReply.records &&
              totals->volume >= 0 && totals->volume <= 99999999.99 && std::isfinite(totals->amount));
    }
    if (const auto volume = sb::DecodeLinkUnitReply(reply, length)) {
        Check(length >= sb::kLinkUnitReply.length && *volume >= 0 && *volume <= 655.35);
    }
}

// Fields cut from the bytes: a length byte (0..7) and that many characters, until the bytes run out.
void Build(sb::Command command, const uint8_t* bytes, size_t length) {
    std::string_view fields[kMaxFields];
    size_t count = 0;
    size_t at = 0;
    while (count < kMaxFields && at < length) {
        const size_t width = bytes[at++] & 7u;
        const size_t taken = width < length - at ? width : length - at;
        fields[count++] = std::string_view(reinterpret_cast<const char*>(bytes + at), taken);
        at += taken;
    }
    const sb::CommandEntry& entry = sb::CatalogueEntry(command);
    sb::DispenserMessage message;
    const sb::RequestHeader header{static_cast<char>(bytes[0]), static_cast<char>(bytes[length - 1])};
    if (sb::BuildRequest(entry, header, fields, count, message)) {
        Check(count == sb::FieldCount(entry) && message.length == sb::RequestLength(entry));
        const bool headed = entry.channel != sb::kNoHeader;
        Check(!headed || (static_cast<char>(message.bytes[1]) == entry.channel &&
                          static_cast<char>(message.bytes[2]) == header.sequence));
    } else {
        Check(message.length == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size <= kPrefix) return 0;
    const uint8_t select = data[0];
    int32_t scale = 0;
    std::memcpy(&scale, data + 1, sizeof scale);
    const uint8_t* rest = data + kPrefix;
    const size_t length = size - kPrefix;
    DecodeAll(rest, length, static_cast<int32_t>(select >> 4) - 1, scale);
    Build(static_cast<sb::Command>((select & 15u) % sb::kCommandCount), rest, length);
    return 0;
}
