// Assembling a dispenser message: the four-byte header and the text that follows it.
#pragma once

#include <cstdint>
#include <string_view>

#include "operations/Station.h"
#include "link/DispenserMessage.h"

namespace sb {

// Writes "0", "0", then the point's sequence and request characters of channel 0 at the current length.
void BuildHeader(Station& station, uint8_t point, DispenserMessage& message);

// Copies text at the current length and advances it. Messages are far below the buffer's size; a text that
// would not fit is cut at the end of the buffer.
void AppendText(DispenserMessage& message, std::string_view text);

// A header whose channel character is "1", for the requests that travel on channel 1.
void BuildChannel1Header(Station& station, uint8_t point, DispenserMessage& message);

}  // namespace sb
