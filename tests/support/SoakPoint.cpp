#include "support/SoakPoint.h"

#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "logging/Log.h"

namespace sbtest {
namespace {

thread_local uint64_t pausedMs = 0;
thread_local soak::StepTrace* hostTrace = nullptr;  // where the driver's lines on this thread go

}  // namespace

void TraceDriverLines(soak::StepTrace* trace) {
    hostTrace = trace;
    sb::TapThreadLines(
        trace == nullptr ? nullptr : +[](std::initializer_list<std::string_view> parts) { hostTrace->Add(parts); });
}

QuietLog::QuietLog() : file_(sb::ProcessLog().FileName()) { sb::ProcessLog().SetFileName(""); }
QuietLog::~QuietLog() { sb::ProcessLog().SetFileName(file_); }

uint64_t PausedMs() { return pausedMs; }

bool FailsNatively(const std::function<void()>& call) {
    try {
        call();
        return false;
    } catch (const sb::ESerialIO&) {
        return true;
    }
}

NoWaiting::NoWaiting() : previous_(sb::platform::InstallTimeSource(this)) {}
NoWaiting::~NoWaiting() { sb::platform::InstallTimeSource(previous_); }
void NoWaiting::Sleep(uint32_t milliseconds) { pausedMs += milliseconds; }

SoakPoint::SoakPoint(const soak::PointSetup& setup, uint32_t point) : settings_(dir_.File("cnf.INI")) {
    port.Attach(point, setup.config);
    WriteFile(settings_, "[SB]\r\nSDec=" + std::to_string(setup.amountScale) + "\r\n");
    port.SetExchangeHook([this](uint32_t at, const sbsim::Bytes& sent, sbsim::Dispenser& dispenser) {
        for (const uint8_t byte : sent) digest_ = (digest_ ^ byte) * 1099511628211u;  // FNV-1a
        digest_ = (digest_ ^ 0x100) * 1099511628211u;                                 // where the exchange ends
        return faultHook_ && faultHook_(at, sent, dispenser);
    });
    target_.lines = &port;
    target_.failed = &FailsNatively;
    target_.failPort = [this](unsigned n) { port.ThrowOnExchanges(n); };
    target_.clockMs = &PausedMs;
    target_.restart = [this] { return NewObject(); };
    NewObject();
}

SoakPoint::~SoakPoint() { delete &sb::TVM30::From(object_); }

SbDriver* SoakPoint::NewObject() {
    if (object_ != nullptr) delete &sb::TVM30::From(object_);
    object_ = sb::NewDriver(port.port(), settings_);
    target_.object = object_;
    target_.slots = object_->vtbl;
    return object_;
}

}  // namespace sbtest
