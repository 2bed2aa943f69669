#include "link/LinkOutcome.h"

#include <array>

#include "common/Failure.h"
#include "link/LinkContext.h"

namespace sb {
namespace {

constexpr std::optional<LineState> kAsReported = std::nullopt;
constexpr const char* kResetFailed = "Невозможно выполнить сброс ТРК";
constexpr const char* kSelectFailed = "Невозможно перейти в режим передачи к ТРК";
constexpr const char* kNotReceiving = "Невозможно перевести ТРК в режим приема";

// In the order of LinkOutcome.
constexpr std::array<OutcomeRow, kLinkOutcomeCount> kRows = {{
    {kAsReported, SB_REASON_NONE, nullptr},                     // Answered
    {LineState::LinkFailed, SB_REASON_NOT_SELECTED, nullptr},   // NotSelected
    {LineState::LinkFailed, SB_REASON_NOT_ACKNOWLEDGED, nullptr},  // NakLimit
    {LineState::LinkFailed, SB_REASON_NONE, nullptr},           // BadCheck
    {LineState::LinkFailed, SB_REASON_NONE, nullptr},           // ReplyTooLong
    {kAsReported, SB_REASON_PORT_FAILED, kResetFailed},        // PortFailure
    {kAsReported, SB_REASON_PORT_FAILED, kSelectFailed},       // SelectFailure
    {kAsReported, SB_REASON_PORT_FAILED, nullptr},              // DataPortFailure: the operation's own text
    {kAsReported, SB_REASON_NOT_RECEIVING, kNotReceiving},     // NotReceiving
    {LineState::LinkFailed, SB_REASON_EXCHANGE_LIMIT, nullptr},  // ExchangeLimit
}};

}  // namespace

const OutcomeRow& RowOf(LinkOutcome outcome) { return kRows.at(static_cast<size_t>(outcome)); }

LinkOutcome Conclude(LinkContext& link, LinkOutcome outcome) {
    if (const std::optional<LineState> line = RowOf(outcome).line) link.Line = *line;
    return outcome;
}

void RaiseLinkFailure(LinkOutcome step, LinkOutcome cause) {
    const OutcomeRow& row = RowOf(step);
    RaiseSerialIO(SystemText(row.text), cause == LinkOutcome::ExchangeLimit ? SB_REASON_EXCHANGE_LIMIT : row.reason);
}

}  // namespace sb
