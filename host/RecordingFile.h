// Opens a recording for decode and report, and reads it through to the end in order: the exchanges read and
// the driver's own lines, with a clear error for a file that cannot be read or holds no recording.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "decode/Conversation.h"
#include "decode/TraceReader.h"

namespace sbhost {

// Unreadable lines tolerated before anything readable came: a file that starts with more is no recording.
constexpr int kUnreadableBeforeGivingUp = 20;

struct RecordingVisitor {
    std::function<void(const sbdecode::ReadExchange&)> exchange;
    std::function<void(const sbdecode::TraceRecord&)> note;        // the driver's own lines, failures among them
    std::function<void(const sbdecode::TraceRecord&)> unreadable;  // lines that are neither form
};

// False and the reason in *error when the file cannot be opened or holds no recording.
bool ReadRecording(const std::string& path, const RecordingVisitor& visitor, std::string* error);

}  // namespace sbhost
