#include "sim/SimPortService.h"

#include <algorithm>
#include <cstring>
#include <mutex>
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
    std::string text =
        std::to_string(record.point) + " > " + Hex(record.sent) + " (" + std::to_string(record.replySize) + ") <";
    if (!record.received.empty()) text += " " + Hex(record.received);
    return text;
}

Dispenser& SimPortService::Attach(uint32_t point, const PointConfig& config) {
    Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    line.dispenser = std::make_unique<Dispenser>(config);
    return *line.dispenser;
}

Dispenser* SimPortService::dispenser(uint32_t point) {
    Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    return line.dispenser.get();
}

void SimPortService::Act(uint32_t point, const std::function<void(Dispenser&)>& action) {
    Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    if (line.dispenser) action(*line.dispenser);
}

void SimPortService::SetErrorResult(int32_t result) {
    std::lock_guard<Mutex> guard(recordsLock_);
    errorResult_ = result;
}

void SimPortService::SetConfigureResult(int32_t result) {
    std::lock_guard<Mutex> guard(recordsLock_);
    configureResult_ = result;
}

void SimPortService::ThrowOnExchanges(unsigned n) {
    std::lock_guard<Mutex> guard(recordsLock_);
    throwOnExchanges_ += n;
}

void SimPortService::ThrowOnSetReceiveHandler(unsigned n) {
    std::lock_guard<Mutex> guard(recordsLock_);
    throwOnSetReceiveHandler_ += n;
}

std::vector<ExchangeRecord> SimPortService::exchanges() const {
    std::lock_guard<Mutex> guard(recordsLock_);
    return {exchanges_.begin(), exchanges_.end()};
}

std::vector<std::string> SimPortService::Transcript() const {
    std::vector<std::string> lines;
    for (const ExchangeRecord& record : exchanges()) lines.push_back(Render(record));
    return lines;
}

std::vector<SlotCall> SimPortService::calls() const {
    std::lock_guard<Mutex> guard(recordsLock_);
    return {calls_.begin(), calls_.end()};
}

void SimPortService::ClearRecords() {
    std::lock_guard<Mutex> guard(recordsLock_);
    exchanges_.clear();
    calls_.clear();
}

SbReceiveHandler SimPortService::receiveHandler(uint32_t point) const {
    const Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    return line.receive;
}

SbLineSetupHandler SimPortService::lineSetupHandler(uint32_t point) const {
    const Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    return line.setup;
}

int32_t SimPortService::CallLineSetup(uint32_t point) {
    SbLineSetupHandler setup{nullptr, nullptr};
    {
        Line& line = LineOf(point);
        std::lock_guard<Mutex> guard(line.lock);
        setup = line.setup;
    }
    return setup.code ? setup.code(setup.self, point) : 0;
}

void SimPortService::Record(int slot, uint32_t point, uint32_t arg1, uint32_t arg2) {
    std::lock_guard<Mutex> guard(recordsLock_);
    Append(calls_, SlotCall{slot, point, arg1, arg2});
}

bool SimPortService::RecordTakingFailure(int slot, uint32_t point, unsigned* failures, uint32_t arg1, uint32_t arg2) {
    std::lock_guard<Mutex> guard(recordsLock_);
    Append(calls_, SlotCall{slot, point, arg1, arg2});
    if (*failures == 0) return false;
    --*failures;
    return true;
}

int32_t SimPortService::ErrorResult(uint32_t point) {
    std::lock_guard<Mutex> guard(recordsLock_);
    Append(calls_, SlotCall{1, point});
    return errorResult_;
}

uint32_t SimPortService::LineStatus(uint32_t point) {
    Record(4, point);
    const Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    return line.status;
}

int32_t SimPortService::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive,
                                    uint32_t replySize, uint32_t /*zero*/) {
    if (RecordTakingFailure(16, point, &throwOnExchanges_, sendCount, replySize))
        throw std::runtime_error("simulated port failure");
    // The driver's buffers are 255 bytes at most; a larger count would read past them.
    const Bytes sent(send, send + std::min<uint32_t>(sendCount, kMaxAnswerBytes));
    SbReceiveHandler handler{nullptr, nullptr};
    uint8_t count = 0;
    {
        Line& line = LineOf(point);
        std::lock_guard<Mutex> guard(line.lock);
        if (hook_ && line.dispenser && hook_(point, sent, *line.dispenser))
            throw std::runtime_error("simulated port failure");
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
        // Under the line's lock, so that a line's records keep the order its dispenser saw the exchanges in.
        std::lock_guard<Mutex> records(recordsLock_);
        Append(exchanges_, ExchangeRecord{point, sent, std::move(answer), replySize});
    }
    // The driver's handler runs outside the locks: it may log and take locks of its own.
    if (handler.code) {
        uint8_t size = static_cast<uint8_t>(replySize);
        handler.code(handler.self, point, receive, 0, &count, &size);
    }
    return 0;
}

int32_t SimPortService::Configure(uint32_t point, uint32_t ten, uint32_t speedCode) {
    std::lock_guard<Mutex> guard(recordsLock_);
    Append(calls_, SlotCall{17, point, ten, speedCode});
    return configureResult_;
}

void SimPortService::SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
    if (RecordTakingFailure(19, point, &throwOnSetReceiveHandler_))
        throw std::runtime_error("simulated handler installation failure");
    Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    line.receive = handler;
}

void SimPortService::SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler) {
    Record(21, point);
    Line& line = LineOf(point);
    std::lock_guard<Mutex> guard(line.lock);
    line.setup = handler;
}

}  // namespace sbsim
