#include "soak/SoakTrace.h"

#include <algorithm>

namespace soak {

void StepTrace::Add(std::initializer_list<std::string_view> parts) {
    std::string& line = lines_[static_cast<size_t>(written_++ % lines_.size())];
    line.clear();
    for (std::string_view part : parts) line.append(part.data(), part.size());
}

void StepTrace::BeginDelivery() {
    std::rotate(began_.begin(), began_.begin() + 1, began_.end());
    began_.back() = written_;
}

std::string StepTrace::Recent() const {
    const uint64_t oldestKept = written_ > lines_.size() ? written_ - lines_.size() : 0;
    std::string text;
    if (began_.front() < oldestKept) text += "    (" + std::to_string(oldestKept - began_.front()) + " lines lost)\n";
    for (uint64_t n = std::max(began_.front(), oldestKept); n < written_; ++n) {
        text += "    " + lines_[static_cast<size_t>(n % lines_.size())] + "\n";
    }
    return text;
}

}  // namespace soak
