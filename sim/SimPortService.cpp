#include "sim/SimPortService.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace sbsim {
namespace {

template <typename T>
void Append(std::deque<T>& records, T record) {
    records.push_back(std::move(record));
    if (records.size() > kMaxRecords) records.pop_front();
}

}  // namespace

std::string Render(const ExchangeRecord& record) {
    std::string text = std::to_string(record.point) + " > " + Hex(record.sent) + " (" +
                       std::to_string(record.replySize) + ") <";
    if (!record.received.empty()) text += " " + Hex(record.received);
    return text;
}

Dispenser& SimPortService::Attach(uint32_t point, const PointConfig& config) {
    SpinGuard guard(lock_);
    Line& line = lines_[point];
    line.dispenser = std::make_unique<Dispenser>(config);
    return *line.dispenser;
}

Dispenser* SimPortService::dispenser(uint32_t point) {
    SpinGuard guard(lock_);
    const auto found = lines_.find(point);
    return found == lines_.end() ? nullptr : found->second.dispenser.get();
}

void SimPortService::Act(uint32_t point, const std::function<void(Dispenser&)>& action) {
    SpinGuard guard(lock_);
    const auto found = lines_.find(point);
    if (found != lines_.end() && found->second.dispenser) action(*found->second.dispenser);
}

void SimPortService::SetErrorResult(int32_t result) {
    SpinGuard guard(lock_);
    errorResult_ = result;
}

void SimPortService::SetConfigureResult(int32_t result) {
    SpinGuard guard(lock_);
    configureResult_ = result;
}

void SimPortService::ThrowOnExchanges(unsigned n) {
    SpinGuard guard(lock_);
    throwOnExchanges_ += n;
}

void SimPortService::ThrowOnSetReceiveHandler(unsigned n) {
    SpinGuard guard(lock_);
    throwOnSetReceiveHandler_ += n;
}

std::vector<ExchangeRecord> SimPortService::exchanges() const {
    SpinGuard guard(lock_);
    return {exchanges_.begin(), exchanges_.end()};
}

std::vector<std::string> SimPortService::Transcript() const {
    std::vector<std::string> lines;
    for (const ExchangeRecord& record : exchanges()) lines.push_back(Render(record));
    return lines;
}

std::vector<SlotCall> SimPortService::calls() const {
    SpinGuard guard(lock_);
    return {calls_.begin(), calls_.end()};
}

void SimPortService::ClearRecords() {
    SpinGuard guard(lock_);
    exchanges_.clear();
    calls_.clear();
}

SbReceiveHandler SimPortService::receiveHandler(uint32_t point) const {
    SpinGuard guard(lock_);
    const auto found = lines_.find(point);
    return found == lines_.end() ? SbReceiveHandler{nullptr, nullptr} : found->second.receive;
}

bool SimPortService::HasLineSetupHandler(uint32_t point) const {
    SpinGuard guard(lock_);
    const auto found = lines_.find(point);
    return found != lines_.end() && found->second.setup.code != nullptr;
}

int32_t SimPortService::CallLineSetup(uint32_t point) {
    SbLineSetupHandler setup{nullptr, nullptr};
    {
        SpinGuard guard(lock_);
        const auto found = lines_.find(point);
        if (found != lines_.end()) setup = found->second.setup;
    }
    return setup.code ? setup.code(setup.self, point) : 0;
}

void SimPortService::Record(int slot, uint32_t point, uint32_t arg1, uint32_t arg2) {
    Append(calls_, SlotCall{slot, point, arg1, arg2});
}

int32_t SimPortService::ErrorResult(uint32_t point) {
    SpinGuard guard(lock_);
    Record(1, point);
    return errorResult_;
}

uint32_t SimPortService::LineStatus(uint32_t point) {
    SpinGuard guard(lock_);
    Record(4, point);
    const auto found = lines_.find(point);
    return found == lines_.end() ? kLineGood : found->second.status;
}

int32_t SimPortService::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive,
                                    uint32_t replySize, uint32_t /*zero*/) {
    SbReceiveHandler handler{nullptr, nullptr};
    uint8_t count = 0;
    {
        SpinGuard guard(lock_);
        Record(16, point, sendCount, replySize);
        if (throwOnExchanges_ > 0) {
            --throwOnExchanges_;
            throw std::runtime_error("simulated port failure");
        }
        // The driver's buffers are 255 bytes at most; a larger count would read past them.
        const Bytes sent(send, send + std::min<uint32_t>(sendCount, kMaxAnswerBytes));
        Line& line = lines_[point];
        Bytes answer;
        try {
            if (line.dispenser) answer = line.dispenser->Exchange(sent);
        } catch (const std::exception&) {
            // Only allocation can fail inside a dispenser; the line then behaves as silent.
            answer.clear();
        }
        if (answer.size() > kMaxAnswerBytes) answer.resize(kMaxAnswerBytes);
        if (!answer.empty()) std::memcpy(receive, answer.data(), answer.size());
        count = static_cast<uint8_t>(answer.size());
        line.status = (answer.empty() && replySize != 0) ? kLineNoAnswer : kLineGood;
        handler = line.receive;
        Append(exchanges_, ExchangeRecord{point, sent, std::move(answer), replySize});
    }
    // The driver's handler runs outside the lock: it may log and take locks of its own.
    if (handler.code) {
        uint8_t size = static_cast<uint8_t>(replySize);
        handler.code(handler.self, point, receive, 0, &count, &size);
    }
    return 0;
}

int32_t SimPortService::Configure(uint32_t point, uint32_t ten, uint32_t speedCode) {
    SpinGuard guard(lock_);
    Record(17, point, ten, speedCode);
    return configureResult_;
}

void SimPortService::SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
    SpinGuard guard(lock_);
    Record(19, point);
    if (throwOnSetReceiveHandler_ > 0) {
        --throwOnSetReceiveHandler_;
        throw std::runtime_error("simulated handler installation failure");
    }
    lines_[point].receive = handler;
}

void SimPortService::SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler) {
    SpinGuard guard(lock_);
    Record(21, point);
    lines_[point].setup = handler;
}

}  // namespace sbsim
