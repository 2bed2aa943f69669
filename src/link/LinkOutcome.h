// What a link call came to: one closed set of outcomes, and the one table from each outcome to the line state the
// link leaves, the reason a host is told (SB_REASON_*) and the failure text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/LineState.h"

namespace sb {

class LinkContext;

enum class LinkOutcome : uint8_t {
    Answered,         // the exchange, message or reception went through; what the dispenser said came whole
    NotSelected,      // the dispenser never answered a select ready: the message was not sent
    NakLimit,         // the dispenser kept refusing a block of the request
    BadCheck,         // a block of the reply kept failing its check: the reply was given up
    ReplyTooLong,     // the reply ran past the blocks one reply may carry: the reply was given up
    PortFailure,      // the port service failed a poll, acknowledgement or end-of-transmission exchange
    SelectFailure,    // the port service failed the select exchange
    DataPortFailure,  // the port service kept failing a data block of the request
    NotReceiving,     // the dispenser kept its line busy past the poll cycles
    ExchangeLimit,    // the host call had used up its exchanges: the line was not touched
};
constexpr size_t kLinkOutcomeCount = 10;

struct OutcomeRow {
    LinkOutcome outcome;
    // The line state the link leaves; none where it stays as the port service reported it.
    std::optional<LineState> line;
    uint32_t reason;
    // The failure raised for the outcome; null for the outcomes that are no failure of the link itself (the
    // operation decides) and for the exchange limit, which is raised with the text of the step it stopped.
    const char* text;  // UTF-8
};

const OutcomeRow& RowOf(LinkOutcome outcome);

// Leaves the line state the outcome's row names and returns the outcome: the one place every outcome of a link
// call passes through.
LinkOutcome Conclude(LinkContext& link, LinkOutcome outcome);

// Raises the failure of the step (a row with a text): the step's text, and the reason of what stopped it (cause
// ExchangeLimit, or the step's own).
[[noreturn]] void RaiseLinkFailure(LinkOutcome step, LinkOutcome cause);
[[noreturn]] inline void RaiseLinkFailure(LinkOutcome step) { RaiseLinkFailure(step, step); }

}  // namespace sb
