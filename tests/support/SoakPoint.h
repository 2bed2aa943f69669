// One point's own world for a soak that reproduces: its own port service, dispenser, settings and driver object,
// sharing nothing with other points, so that what happens on it depends on the seed and the point alone, whatever
// runs beside it. Its host may restart: a new driver object on the same dispenser.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "sim/SimPortService.h"
#include "soak/SoakHost.h"
#include "support/TempDir.h"

namespace sbtest {

class SoakPoint {
public:
    SoakPoint(const soak::World& world, uint32_t point);
    ~SoakPoint();
    SoakPoint(const SoakPoint&) = delete;
    SoakPoint& operator=(const SoakPoint&) = delete;

    // Failures caught as the native library raises them, a port failure on this point's line, the calling
    // thread's pauses as its clock (soak::Target's fields); restart and the replay command as set by the caller.
    soak::Target& target() { return target_; }
    // Of every transmission the driver made on the line so far.
    uint64_t digest() const { return digest_; }

    sbsim::SimPortService port;

private:
    SbDriver* NewObject();

    TempDir dir_;
    std::string settings_;
    SbDriver* object_ = nullptr;
    soak::Target target_;
    uint64_t digest_ = 14695981039346656037u;
};

// Runs a slot call; true when the driver raised its failure, as the native library does (soak::Target::failed).
bool FailsNatively(const std::function<void()>& call);

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
