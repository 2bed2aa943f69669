// Requests to a dispenser as the command catalogue writes them, and sending them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "common/Cp1251.h"
#include "link/DispenserMessage.h"
#include "operations/CommandCatalogue.h"
#include "operations/Station.h"

namespace sb {

// The name the command is traced under ("START(", "MASTER RESET(", ...), in both encodings.
const SystemText& TraceName(Command command);

// The command's request for the point with the fields in catalogue order. The header carries the point's
// channel-0 sequence and request characters; the link stamps the channel's own into messages longer than eight
// bytes.
DispenserMessage Request(Station& station, uint8_t point, Command command,
                         std::initializer_list<std::string_view> fields = {});

// The index of the channel START goes out on, in the link's per-channel refusal fields: a refusal on another
// channel answers a stray block and can be no START's.
int StartChannel();

// Sends the message to the point and collects the reply into it; the port stopping the message raises
// failureText (UTF-8) with the reason of what stopped it. A refusal drained on the way marks the START refused
// when it was the latest message the point was sent; a message that went out, even when its reply then failed,
// makes the START no longer the latest.
void SendOrRaise(Station& station, uint8_t point, DispenserMessage& message, const char* failureText);

}  // namespace sb
