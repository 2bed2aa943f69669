#include "operations/FillingPointControl.h"

#include "link/LinkOutcome.h"
#include "operations/MessageBuilder.h"
#include "state/PointTrace.h"

namespace sb {

void SendFillingPointControl(Station& station, uint8_t point, uint8_t switchOn) {
    TracePoint(TraceName(Command::FillingPointControl), point);
    DispenserMessage message = Request(station, point, Command::FillingPointControl,
                                       {station.Point(point).PointCode, switchOn != 0 ? "1" : "0"});
    SendOrRaise(station, point, message, RowOf(LinkOutcome::PortFailure).text);
}

void SwitchOnUnlessFinished(Station& station, uint8_t point, uint8_t switchOn) {
    if (switchOn == 0) return;
    const uint8_t state = station.Point(point).PointState;
    if (state >= 0xD0 && state <= 0xD6) return;  // a finished delivery waits to be taken
    SendFillingPointControl(station, point, switchOn);
}

}  // namespace sb
