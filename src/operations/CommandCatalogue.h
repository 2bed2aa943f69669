// Every message the driver sends a dispenser, in one table: the name it is traced under, how its request is
// written (header, fixed text, the fields an operation fills), and the layout of the reply that is read from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/DispenserMessage.h"

namespace sb {

enum class Command : uint8_t {
    StatusRequest,        // the full status request of a point that has been silent
    StatusFollowUp,       // the short follow-up of a silent point: "018" and the reply toggle's other digit
    Start,                // START: grade, price, preset, preset kind, start mode
    GetDataTransaction,   // volume and amount of the current delivery
    GetCounter,           // the totalizers of every grade
    FillingPointControl,  // switches a point on or off
    Initialisation,
    MasterReset,
    Identification,
    ResetConfirmation,  // the dispenser's first character and channel, then "<600"
    LinkUnitCounter,    // the volume counter of a T10 link unit, sent unframed
};
constexpr size_t kCommandCount = 11;

// The header's channel character, or no header at all.
constexpr char kNoHeader = '\0';

// One piece of a request after its header: fixed text, or (fixed empty) a field of width characters the caller
// supplies. A request's unused pieces at the end are empty with width 0.
struct RequestPiece {
    std::string_view fixed;
    uint8_t width;
};
constexpr size_t kMaxPieces = 11;

enum class ReplyKind : uint8_t { None, StatusReport, Delivery, Counter, LinkUnit };

struct CommandEntry {
    Command command;
    const char* name;  // as traced, UTF-8; "" for a message without a trace line of its own
    char channel;      // '0', '1' or kNoHeader
    std::array<RequestPiece, kMaxPieces> pieces;
    ReplyKind reply;  // the reply an operation decodes; None when it is collected and left unread
};

const CommandEntry& CatalogueEntry(Command command);

// How many fields the caller supplies, and the request's whole length with its header.
size_t FieldCount(const CommandEntry& entry);
size_t RequestLength(const CommandEntry& entry);

// The header's third and fourth characters: the point's sequence and request characters of channel 0, whichever
// channel the message travels on. The link writes the message's own channel's over them when it sends a message
// longer than eight characters, as every message with a header is.
struct RequestHeader {
    char sequence;
    char request;
};

// Writes the request into a cleared message: "0", the channel character and header's two characters (for an
// entry with a header), then the pieces in order with the fields in place. False, and an empty message, when the
// number of fields or a field's width is not the entry's.
bool BuildRequest(const CommandEntry& entry, RequestHeader header, const std::string_view* fields, size_t fieldCount,
                  DispenserMessage& message);

// The layouts of the replies read. A field is its first character's offset and its width in digits.
struct WireField {
    uint8_t at;
    uint8_t width;
};

struct StatusReportLayout {
    uint8_t length;
    uint8_t statusAt;
    uint8_t digitAt;
};
constexpr StatusReportLayout kStatusReport{18, 15, 13};

struct DeliveryReplyLayout {
    uint8_t length;
    WireField volume;  // hundredths of a litre
    WireField amount;  // units of 1/SDec
};
constexpr DeliveryReplyLayout kDeliveryReply{36, {15, 6}, {26, 6}};

// Records 1..records, one per grade, each the grade's digit, the volume and the amount totals; record k's fields
// sit stride * (k - 1) after record 1's.
struct CounterReplyLayout {
    uint8_t length;
    uint8_t records;
    uint8_t stride;
    WireField volume;  // record 1's, hundredths of a litre
    WireField amount;  // record 1's, units of 1/SDec
};
constexpr CounterReplyLayout kCounterReply{182, 8, 21, {15, 10}, {25, 10}};

// STX, "2", then the volume in hundredths of a litre, low byte first.
struct LinkUnitReplyLayout {
    uint8_t length;
    uint8_t marker;
    uint8_t lowAt;
    uint8_t highAt;
};
constexpr LinkUnitReplyLayout kLinkUnitReply{4, '2', 2, 3};

}  // namespace sb
