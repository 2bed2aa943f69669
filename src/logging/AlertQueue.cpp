#include "logging/AlertQueue.h"

#include <string_view>

namespace sb {
namespace {
std::string_view Message(const std::string& line) {
    std::string_view all(line);
    return all.size() > AlertQueue::kTimeStampLength ? all.substr(AlertQueue::kTimeStampLength) : std::string_view();
}
}  // namespace

bool AlertQueue::QueueAlert(const std::string& line) {
    const std::string_view message = Message(line);
    for (const std::string& waiting : lines_) {
        if (Message(waiting) == message) return false;
    }
    lines_.push_back(line);
    return true;
}

std::optional<std::string> AlertQueue::TakeFirst() {
    if (lines_.empty()) return std::nullopt;
    std::string first = std::move(lines_.front());
    lines_.pop_front();
    return first;
}

}  // namespace sb
