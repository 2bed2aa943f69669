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

using O = LinkOutcome;

// In the order of LinkOutcome.
constexpr std::array<OutcomeRow, kLinkOutcomeCount> kRows = {{
    {O::Answered, kAsReported, SB_REASON_NONE, nullptr},
    {O::NotSelected, LineState::LinkFailed, SB_REASON_NOT_SELECTED, nullptr},
    {O::NakLimit, LineState::LinkFailed, SB_REASON_NOT_ACKNOWLEDGED, nullptr},
    {O::BadCheck, LineState::LinkFailed, SB_REASON_NONE, nullptr},
    {O::ReplyTooLong, LineState::LinkFailed, SB_REASON_NONE, nullptr},
    {O::PortFailure, kAsReported, SB_REASON_PORT_FAILED, kResetFailed},
    {O::SelectFailure, kAsReported, SB_REASON_PORT_FAILED, kSelectFailed},
    {O::DataPortFailure, kAsReported, SB_REASON_PORT_FAILED, nullptr},  // the operation's own text
    {O::NotReceiving, kAsReported, SB_REASON_NOT_RECEIVING, kNotReceiving},
    {O::ExchangeLimit, LineState::LinkFailed, SB_REASON_EXCHANGE_LIMIT, nullptr},  // the stopped step's text
}};

constexpr bool InOrder() {
    for (size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<size_t>(kRows[i].outcome) != i) return false;
    }
    return true;
}
static_assert(InOrder(), "one row per outcome, in the order of LinkOutcome");

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
