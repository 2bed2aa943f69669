// sbhost decode FILE: every frame of a recording of dispenser lines (the driver's trace log or a hex capture)
// annotated, the driver's own lines between them.
#pragma once

#include <string>
#include <vector>

#include "decode/Conversation.h"
#include "host/program/Output.h"

namespace sbhost {

extern const std::string kDecodeUsage;

// One exchange as decode writes it with --json (docs/sbhost.md), its fields after those json has.
JsonObject ExchangeJson(const sbdecode::ReadExchange& read, JsonObject json = JsonObject());

// words: what follows "decode". Returns the exit code: 0 decoded, 1 the file could not be read or is no
// recording, 2 bad words.
int RunDecode(const std::vector<std::string>& words, Output& out);

}  // namespace sbhost
