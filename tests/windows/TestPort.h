// The port service the test host lends to the driver: a port service object of the host's own whose calls go
// on to the dispenser simulator's port service, with the failures of a Windows host to inject: a failed
// send-and-receive, and a structured exception raised inside it as a host language raises.
#pragma once

#include <cstdint>

#include "sbdriver/sbdriver.h"

namespace wintest {

class TestPort : public SbPortService {
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

    // Set when a failure inside send-and-receive unwound the port's own frame (its finally-handler ran);
    // cleared by SetFault.
    bool FinallyRan() const { return finallyRan_; }

private:
    static int32_t __stdcall ErrorResult(SbPortService* self, uint32_t point);
    static uint32_t __stdcall LineStatus(SbPortService* self, uint32_t point);
    static int32_t __stdcall SendReceive(SbPortService* self, uint32_t point, uint8_t* send, uint32_t sendCount,
                                         uint8_t* receive, uint32_t replySize, uint32_t zero);
    static int32_t __stdcall Configure(SbPortService* self, uint32_t point, uint32_t ten, uint32_t speedCode);
    static void __stdcall SetReceiveHandler(SbPortService* self, uint32_t point, SbReceiveHandler handler);
    static void __stdcall SetLineSetupHandler(SbPortService* self, uint32_t point, SbLineSetupHandler handler);
    static const SbPortServiceVtbl kTable;

    static TestPort& Of(SbPortService* self) { return *static_cast<TestPort*>(self); }
    void FailInsideOwnFrame();

    SbPortService* line_;
    Fault fault_ = Fault::None;
    bool finallyRan_ = false;
};

}  // namespace wintest
