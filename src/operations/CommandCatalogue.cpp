#include "operations/CommandCatalogue.h"

#include <algorithm>

namespace sb {
namespace {

constexpr size_t kHeaderLength = 4;

constexpr RequestPiece Text(std::string_view text) { return RequestPiece{text, 0}; }
constexpr RequestPiece Field(uint8_t width) { return RequestPiece{{}, width}; }

constexpr RequestPiece kPointCode = Field(2);

// Pieces past a request's last are empty text of width 0, neither text nor field.
constexpr bool IsField(const RequestPiece& piece) { return piece.fixed.empty() && piece.width != 0; }

// Indexed by Command.
constexpr std::array<CommandEntry, kCommandCount> kCatalogue{{
    {Command::StatusRequest, "ЗАПРОС СОСТОЯНИЯ(", '1', {Text("0000ZD0000")}, ReplyKind::StatusReport},
    {Command::StatusFollowUp, "", kNoHeader, {Text("018"), Field(1)}, ReplyKind::StatusReport},
    // point code, "0" and the grade digit, "J", price, preset, "K", preset kind, start mode, "000"
    {Command::Start,
     "START(",
     '1',
     {Text("0001ZD"), kPointCode, Text("0"), Field(1), Text("J"), Field(4), Field(6), Text("K"), Field(1), Field(1),
      Text("000")},
     ReplyKind::None},
    {Command::GetDataTransaction,
     "GET DATA TRANSACTION(",
     '1',
     {Text("0002ZD"), kPointCode, Text("00")},
     ReplyKind::Delivery},
    {Command::GetCounter, "GET COUNTER(", '1', {Text("0003ZD"), kPointCode, Text("00")}, ReplyKind::Counter},
    // point code, "00", "1" on or "0" off, "011"
    {Command::FillingPointControl,
     "FILLING POINT CONTROL(",
     '1',
     {Text("0004ZD"), kPointCode, Text("00"), Field(1), Text("011")},
     ReplyKind::None},
    {Command::Initialisation,
     "INITIALISATION(",
     '0',
     {Text("9997ZD"), kPointCode, Text("00A"), Text("00000000000"), Text("000000000000"), Text("000"), Text("01"),
      Text("10"), Text("I"), Text("01000100010001000100010001000100")},
     ReplyKind::None},
    {Command::MasterReset, "MASTER RESET(", '0', {Text("9998ZD0000")}, ReplyKind::StatusReport},
    {Command::Identification,
     "IDENTIFICATION REQUEST(",
     '0',
     {Text("9999ZD"), Text("00"), Text("0002")},
     ReplyKind::None},
    {Command::ResetConfirmation,
     "Подтверждение RESET(",
     kNoHeader,
     {Field(1), Field(1), Text("<600")},
     ReplyKind::StatusReport},
    {Command::LinkUnitCounter, "", kNoHeader, {Text("0002ZD")}, ReplyKind::LinkUnit},
}};

constexpr size_t LengthOf(const CommandEntry& entry) {
    size_t length = entry.channel == kNoHeader ? 0 : kHeaderLength;
    for (const RequestPiece& piece : entry.pieces) length += piece.fixed.empty() ? piece.width : piece.fixed.size();
    return length;
}

// Each command has its entry at its own index, and a request that fits a message.
constexpr bool EveryEntryInPlace() {
    for (size_t i = 0; i < kCommandCount; ++i) {
        const size_t length = LengthOf(kCatalogue[i]);
        if (static_cast<size_t>(kCatalogue[i].command) != i || length == 0 || length > DispenserMessage::kCapacity) {
            return false;
        }
    }
    return true;
}
static_assert(static_cast<size_t>(Command::LinkUnitCounter) + 1 == kCommandCount);
static_assert(EveryEntryInPlace(), "the catalogue is out of order, or a request does not fit a message");

}  // namespace

const CommandEntry& CatalogueEntry(Command command) { return kCatalogue[static_cast<size_t>(command)]; }

size_t FieldCount(const CommandEntry& entry) {
    size_t count = 0;
    for (const RequestPiece& piece : entry.pieces) count += IsField(piece) ? 1 : 0;
    return count;
}

size_t RequestLength(const CommandEntry& entry) { return LengthOf(entry); }

bool BuildRequest(const CommandEntry& entry, RequestHeader header, const std::string_view* fields, size_t fieldCount,
                  DispenserMessage& message) {
    message = DispenserMessage();
    if (fieldCount != FieldCount(entry)) return false;
    size_t field = 0;
    for (const RequestPiece& piece : entry.pieces) {
        if (IsField(piece) && fields[field++].size() != piece.width) return false;
    }
    if (entry.channel != kNoHeader) {
        const char text[kHeaderLength] = {'0', entry.channel, header.sequence, header.request};
        message.Append(std::string_view(text, sizeof text));
    }
    field = 0;
    for (const RequestPiece& piece : entry.pieces) message.Append(IsField(piece) ? fields[field++] : piece.fixed);
    return true;
}

}  // namespace sb
