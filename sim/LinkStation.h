// The dispenser's side of the link protocol: answers polls and selections, sends queued messages in
// acknowledged blocks and collects the driver's blocks into messages.
#ifndef SBSIM_LINKSTATION_H
#define SBSIM_LINKSTATION_H

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "sim/FaultScript.h"
#include "sim/Wire.h"

namespace sbsim {

// The application above the link.
class LinkApplication {
public:
    virtual void OnPoll() = 0;                               // before a poll is answered
    virtual void OnMessage(const std::string& message) = 0;  // a complete message, before its last block's ack

protected:
    ~LinkApplication() = default;
};

// Messages kept for sending at most; the oldest not yet on its way is dropped beyond it.
constexpr std::size_t kMaxQueuedMessages = 32;

class LinkStation {
public:
    LinkStation(LinkApplication& application, FaultScript& faults);
    LinkStation(const LinkStation&) = delete;
    LinkStation& operator=(const LinkStation&) = delete;

    // One transmission of the driver; returns the answer (empty: silence).
    Bytes Receive(const Bytes& transmission);

    void Queue(const std::string& message);
    // As after power-up: nothing queued, half sent or half received, not selected.
    void PowerUp();
    const std::deque<std::string>& queued() const { return outbox_; }
    bool selected() const { return selected_; }
    // Input the dispenser did not expect: blocks without selection, cut-off messages, unknown bytes.
    const std::vector<std::string>& notes() const { return notes_; }

private:
    Bytes AnswerPoll();
    Bytes AnswerSelect();
    Bytes AnswerAcknowledgement();
    Bytes AnswerNak();
    Bytes AnswerBlock(const Bytes& block);
    Bytes AnswerEndOfTransmission();
    Bytes SendCurrentBlock();
    void DropIncoming(const char* why);
    void Note(const std::string& note);

    LinkApplication& application_;
    FaultScript& faults_;
    std::deque<std::string> outbox_;
    std::vector<Bytes> blocks_;  // blocks of the message at the front of the outbox while it is being sent
    std::size_t blockIndex_ = 0;
    bool awaitingAck_ = false;
    bool selected_ = false;
    std::string incoming_;
    char ackDigit_ = '0';
    std::vector<std::string> notes_;
};

}  // namespace sbsim

#endif
