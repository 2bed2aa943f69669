#include "host/replay/ReplayLines.h"

#include <algorithm>
#include <cstring>

#include "line/SerialPortService.h"

namespace sbhost {

void CallTracker::Begin(const sbreplay::RecordedCall& call, sbdecode::Conversation* conversation) {
    call_ = &call;
    conversation_ = conversation;
    next_ = 0;
    difference_.reset();
}

bool CallTracker::PastTheRecording() const {
    return next_ >= call_->exchanges.size() || call_->exchanges[next_].cutShort;
}

const sbdecode::Exchange* CallTracker::Expected(uint32_t point, const sbdecode::Bytes& sent) const {
    if (call_ == nullptr || difference_ || point != call_->point || PastTheRecording()) return nullptr;
    const sbdecode::Exchange& recorded = call_->exchanges[next_];
    return recorded.sent == sent ? &recorded : nullptr;
}

int64_t CallTracker::TimeHere() const {
    if (next_ < call_->exchanges.size()) return call_->exchanges[next_].timeMs;
    return call_->exchanges.empty() ? call_->timeMs : call_->exchanges.back().timeMs;
}

Difference CallTracker::Found(Difference::Kind kind) const {
    Difference found;
    found.kind = kind;
    found.point = call_->point;
    found.call = call_->call;
    found.lineNumber = call_->lineNumber;
    found.timeMs = call_->timeMs;
    found.opening = call_->opening;
    found.exchange = next_ + 1;
    if (!PastTheRecording()) {
        sbdecode::Conversation context = *conversation_;
        found.recorded = context.Read(call_->exchanges[next_]);
    }
    return found;
}

void CallTracker::Took(uint32_t point, const sbdecode::Bytes& sent, const sbdecode::Bytes& answer) {
    if (call_ == nullptr || difference_ || point != call_->point) return;
    if (PastTheRecording() && call_->recordingEnds) {
        ++beyondEnd_;
        return;
    }
    const sbdecode::Exchange* recorded = PastTheRecording() ? nullptr : &call_->exchanges[next_];
    if (recorded != nullptr && recorded->sent == sent && recorded->answer == answer) {
        conversation_->Read(*recorded);
        ++next_;
        ++matched_;
        return;
    }
    const Difference::Kind kind = recorded == nullptr      ? Difference::Kind::kDriverMore
                                  : recorded->sent != sent ? Difference::Kind::kTransmission
                                                           : Difference::Kind::kAnswer;
    Difference found = Found(kind);
    if (kind == Difference::Kind::kDriverMore) {
        found.next = call_->next;
        found.nextLineNumber = call_->nextLineNumber;
        found.nextTimeMs = call_->nextTimeMs;
    }
    sbdecode::Conversation context = *conversation_;
    found.driver = context.Read(sbdecode::Exchange{TimeHere(), point, sent, answer});
    if (!linesAnswer_) {
        // In process nothing answers off the recording: the driver's side is what it sent.
        found.driver->awaited = false;
        found.driver->silent = false;
    }
    difference_ = std::move(found);
}

void CallTracker::End() {
    if (call_ != nullptr && !difference_ && !PastTheRecording()) difference_ = Found(Difference::Kind::kDriverLess);
    call_ = nullptr;
}

std::size_t RecordedCallPort::Index(uint32_t point) { return point < 33 ? point : 0; }

int32_t RecordedCallPort::ErrorResult(uint32_t) { return sbline::kPortFailed; }

uint32_t RecordedCallPort::LineStatus(uint32_t point) { return status_[Index(point)]; }

int32_t RecordedCallPort::Configure(uint32_t, uint32_t, uint32_t) { return 0; }

void RecordedCallPort::SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
    handlers_[Index(point)] = handler;
}

void RecordedCallPort::SetLineSetupHandler(uint32_t, SbLineSetupHandler) {}

int32_t RecordedCallPort::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive,
                                      uint32_t replySize, uint32_t) {
    // The driver's buffers hold 255 bytes.
    constexpr uint32_t kMaxBytes = 255;
    const sbdecode::Bytes sent(send, send + std::min(sendCount, kMaxBytes));
    const sbdecode::Exchange* recorded = tracker_.Expected(point, sent);
    sbdecode::Bytes answer = recorded != nullptr ? recorded->answer : sbdecode::Bytes{};
    if (answer.size() > kMaxBytes) answer.resize(kMaxBytes);
    if (!answer.empty()) std::memcpy(receive, answer.data(), answer.size());
    status_[Index(point)] = answer.empty() && replySize != 0 ? sbline::kLineNoAnswer : sbline::kLineGood;
    const SbReceiveHandler handler = handlers_[Index(point)];
    if (handler.code != nullptr) {
        uint8_t count = static_cast<uint8_t>(answer.size());
        uint8_t size = static_cast<uint8_t>(replySize);
        handler.code(handler.self, point, receive, 0, &count, &size);
    }
    tracker_.Took(point, sent, answer);
    return 0;
}

void LineWatch::SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
    handlers_[point < handlers_.size() ? point : 0] = handler;
    PortServiceForwarder::SetReceiveHandler(point, SbReceiveHandler{&LineWatch::Received, this});
}

uint32_t SB_CALL LineWatch::Received(void* self, uint32_t point, const uint8_t* bytes, uint32_t unused, uint8_t* count,
                                     uint8_t* replySize) {
    LineWatch& watch = *static_cast<LineWatch*>(self);
    watch.answer_.assign(bytes, bytes + *count);
    const SbReceiveHandler handler = watch.handlers_[point < watch.handlers_.size() ? point : 0];
    return handler.code != nullptr ? handler.code(handler.self, point, bytes, unused, count, replySize) : 1;
}

int32_t LineWatch::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                               uint32_t zero) {
    const sbdecode::Bytes sent(send, send + sendCount);  // read before the answer overwrites it
    answer_.clear();
    const int32_t result = PortServiceForwarder::SendReceive(point, send, sendCount, receive, replySize, zero);
    tracker_.Took(point, sent, answer_);
    return result;
}

}  // namespace sbhost
