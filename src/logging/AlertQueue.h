// Critical log lines waiting to be shown to the operator, first in first out. A line whose message (the text
// after its 12-character time stamp) equals one still waiting is not queued again.
#pragma once

#include <deque>
#include <optional>
#include <string>

namespace sb {

class AlertQueue {
public:
    static constexpr size_t kTimeStampLength = 12;

    // Appends the line unless an equal message is already waiting; true when it was appended. The caller holds
    // the log lock.
    bool QueueAlert(const std::string& line);

    // Removes and returns the first waiting line. The caller holds the log lock.
    std::optional<std::string> TakeFirst();

    size_t Size() const { return lines_.size(); }

private:
    std::deque<std::string> lines_;
};

}  // namespace sb
