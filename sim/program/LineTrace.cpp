#include "sim/program/LineTrace.h"

#include <chrono>
#include <ctime>

namespace sbsim {
namespace {

// Milliseconds since local midnight.
int64_t LocalClockMs() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return ((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 1000 + millis;
}

}  // namespace

void LineTrace::Exchange(unsigned point, const Bytes& sent, const Bytes& answer) {
    if (decoded_ == nullptr && capture_ == nullptr) return;
    const int64_t now = LocalClockMs();
    if (capture_ != nullptr) {
        const std::string head = sbdecode::ClockText(now) + " " + std::to_string(point);
        *capture_ << head << " > " << Hex(sent) << "\n";
        if (!answer.empty()) *capture_ << head << " < " << Hex(answer) << "\n";
        capture_->flush();
    }
    if (decoded_ != nullptr) {
        *decoded_ << sbdecode::ExchangeText(conversation_.Read(sbdecode::Exchange{now, point, sent, answer}));
        decoded_->flush();
    }
}

}  // namespace sbsim
