#include "sim/program/BytePacer.h"

#include <algorithm>

namespace sbsim {
namespace {

constexpr long long kBitsPerByte = 10;

}  // namespace

BytePacer::BytePacer(int baud, int turnaroundMs)
    : byteTime_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::nanoseconds(kBitsPerByte * 1000000000LL / std::max(baud, 1)))),
      turnaround_(std::chrono::milliseconds(turnaroundMs)) {}

void BytePacer::Queue(const Bytes& answer, std::size_t received, Clock::time_point now) {
    if (answer.empty()) return;
    if (bytes_.empty()) nextDue_ = now + byteTime_ * static_cast<long long>(received) + turnaround_;
    bytes_.insert(bytes_.end(), answer.begin(), answer.end());
}

void BytePacer::PutBack(const Bytes& bytes, Clock::time_point now) {
    if (bytes.empty()) return;
    bytes_.insert(bytes_.begin(), bytes.begin(), bytes.end());
    nextDue_ = now;
}

Bytes BytePacer::TakeDue(Clock::time_point now) {
    Bytes due;
    while (!bytes_.empty() && nextDue_ <= now) {
        due.push_back(bytes_.front());
        bytes_.pop_front();
        nextDue_ += byteTime_;
    }
    return due;
}

}  // namespace sbsim
