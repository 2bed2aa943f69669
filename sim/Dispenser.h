// One simulated dispenser on one line: the link station, the filling point behind it, the optional T10
// counting unit and the faults scripted for its line.
#ifndef SBSIM_DISPENSER_H
#define SBSIM_DISPENSER_H

#include <string>

#include "sim/FaultScript.h"
#include "sim/FillingPoint.h"
#include "sim/LinkStation.h"
#include "sim/Wire.h"

namespace sbsim {

class Dispenser final : private LinkApplication {
public:
    explicit Dispenser(const PointConfig& config = PointConfig{});
    Dispenser(const Dispenser&) = delete;
    Dispenser& operator=(const Dispenser&) = delete;

    // One transmission of the driver; returns what the dispenser answers (empty: silence).
    Bytes Exchange(const Bytes& sent);

    // The dispenser loses power and comes back (FillingPoint::PowerCycle); the link starts as after power-up.
    void PowerCycle(DisplayAfterPower display);

    FillingPoint& point() { return point_; }
    const FillingPoint& point() const { return point_; }
    LinkStation& link() { return link_; }
    const LinkStation& link() const { return link_; }
    FaultScript& faults() { return faults_; }

private:
    void OnPoll() override;
    void OnMessage(const std::string& message) override;
    void Flush();  // hands the filling point's new messages to the link
    bool IsLinkUnitRequest(const Bytes& sent) const;

    FillingPoint point_;
    FaultScript faults_;
    LinkStation link_;
};

}  // namespace sbsim

#endif
