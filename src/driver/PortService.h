// Calls into the host's port service object through its method table. The host owns the object and the lines;
// the driver names line n by filling point n. A host may forget to lend one: every exchange then fails at the
// port, the lines cannot be set up, and a later entry-point call that brings one installs it.
#pragma once

#include <atomic>
#include <cstdint>

#include "sbdriver/sbdriver.h"

namespace sb {

class PortService {
public:
    static constexpr uint32_t kConfigureTen = 10;

    explicit PortService(SbPortService* port) : port_(port) {}
    PortService(const PortService& other) : port_(other.Object()) {}
    PortService& operator=(const PortService& other) {
        port_.store(other.Object(), std::memory_order_release);
        return *this;
    }

    SbPortService* Object() const { return port_.load(std::memory_order_acquire); }
    // True when the host lent no object, or one without a method table; the first time, a critical line says so.
    bool Missing(uint8_t point) const;
    // Takes port when none usable was lent; false when one was.
    bool Install(SbPortService* port);

    int32_t ErrorResult(uint8_t point) const;                                                         // slot 1
    uint8_t LineStatus(uint8_t point) const;                                                          // slot 4
    int32_t SendReceive(uint8_t point, uint8_t* buffer, uint8_t sendCount, uint8_t replySize) const;  // 16
    int32_t Configure(uint8_t point, uint32_t speedCode) const;                                       // slot 17
    void SetReceiveHandler(uint8_t point, SbReceiveHandler handler) const;                            // slot 19
    void SetLineSetupHandler(uint8_t point, SbLineSetupHandler handler) const;                        // slot 21

private:
    // The object with its method table, or null when it is missing.
    SbPortService* Lent(uint8_t point) const { return Missing(point) ? nullptr : Object(); }

    std::atomic<SbPortService*> port_;
    mutable std::atomic<bool> missingTold_{false};
};

}  // namespace sb
