// The port service the test host lends to the driver: a port service object of the host's own whose calls go
// on to the dispenser simulator's port service, with the failures of a Windows host to inject: a failed
// send-and-receive, and a structured exception raised inside it as a host language raises.
#pragma once

#include <atomic>
#include <cstdint>

#include "line/PortServiceForwarder.h"
#include "sbdriver/sbdriver.h"

namespace wintest {

class TestPort : public sbline::PortServiceForwarder<TestPort> {
public:
    enum class Fault {
        None,
        FailSendReceive,     // send-and-receive answers 1 (failure) without touching the line
        RaiseInSendReceive,  // send-and-receive raises a structured exception, as a host language's raise does
        AccessViolation      // send-and-receive writes through a null pointer
    };
    static constexpr uint32_t kHostRaiseCode = 0x0EEDFADEu;  // the code a Delphi host raises with

    explicit TestPort(SbPortService* line);

    void SetFault(Fault fault) {
        fault_ = fault;
        finallyRan_ = false;
    }

    // The next n send-and-receive calls, on whichever lines and threads make them, raise as RaiseInSendReceive
    // does; the fault set above is left as it is.
    void RaiseOnExchanges(unsigned n) { raisesLeft_ += n; }

    // Set when a failure inside send-and-receive unwound the port's own frame (its finally-handler ran);
    // cleared by SetFault.
    bool FinallyRan() const { return finallyRan_; }

private:
    friend class sbline::PortServiceAdapter<TestPort>;

    // The one slot of its own; the others go on to the simulator's port service.
    int32_t SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive, uint32_t replySize,
                        uint32_t zero);
    void FailInsideOwnFrame(Fault fault);
    bool TakeRaise();

    Fault fault_ = Fault::None;
    std::atomic<unsigned> raisesLeft_{0};
    std::atomic<bool> finallyRan_{false};
};

}  // namespace wintest
