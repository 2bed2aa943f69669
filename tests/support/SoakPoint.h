// One point's own world for a soak that reproduces: its own port service, dispenser, settings and driver object,
// sharing nothing with other points, so that what happens on it depends on the seed and the point alone, whatever
// runs beside it. Its host may restart: a new driver object on the same dispenser.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/Clock.h"
#include "sim/SimPortService.h"
#include "soak/SoakHost.h"
#include "support/TempDir.h"

namespace sbtest {

class SoakPoint {
public:
    SoakPoint(const soak::PointSetup& setup, uint32_t point);
    ~SoakPoint();
    SoakPoint(const SoakPoint&) = delete;
    SoakPoint& operator=(const SoakPoint&) = delete;

    // Failures caught as the native library raises them, a port failure on this point's line, the calling
    // thread's pauses as its clock (soak::Target's fields); restart and the replay command as set by the caller.
    soak::Target& target() { return target_; }
    // Of every transmission the driver made on the line so far.
    uint64_t digest() const { return digest_; }
    // Sees every exchange after the digest took it (sbsim::ExchangeHook); set while no driver call runs.
    void SetFaultHook(sbsim::ExchangeHook hook) { faultHook_ = std::move(hook); }

    sbsim::SimPortService port;

private:
    SbDriver* NewObject();

    TempDir dir_;
    std::string settings_;
    SbDriver* object_ = nullptr;
    soak::Target target_;
    uint64_t digest_ = 14695981039346656037u;
    sbsim::ExchangeHook faultHook_;
};

// Runs a slot call; true when the driver raised its failure, as the native library does (soak::Target::failed).
bool FailsNatively(const std::function<void()>& call);

// Sends the driver's lines written on the calling thread to the trace from now on (nullptr: no longer), as
// soak::Target::traceDriverLines.
void TraceDriverLines(soak::StepTrace* trace);

// The driver's log would take gigabytes in a long run: off while one lives.
class QuietLog {
public:
    QuietLog();
    ~QuietLog();
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    std::string file_;
};

// Milliseconds the calling thread's driver calls asked to pause, with NoWaiting installed.
uint64_t PausedMs();

// Time that neither waits nor keeps anything; each thread adds up the pauses its calls asked for.
class NoWaiting final : public sb::platform::TimeSource {
public:
    NoWaiting();
    ~NoWaiting() override;
    sb::platform::TimeOfDay LocalTime() override { return {12, 0, 0, 0}; }
    void Sleep(uint32_t milliseconds) override;

private:
    sb::platform::TimeSource* previous_;
};

}  // namespace sbtest
