#include "operations/FillingPointControl.h"

#include "link/LinkFailures.h"
#include "link/SendMessage.h"
#include "logging/PointTrace.h"
#include "operations/MessageBuilder.h"

namespace sb {

void SendFillingPointControl(Station& station, uint8_t point, uint8_t switchOn) {
    TracePoint("FILLING POINT CONTROL(", point);
    DispenserMessage message;
    BuildChannel1Header(station, point, message);
    AppendText(message, "0004ZD");
    AppendText(message, station.Point(point).PointCode);
    AppendText(message, "00");
    AppendText(message, switchOn != 0 ? "1" : "0");
    AppendText(message, "011");
    if (SendMessage(station.LinkOf(point), message) != 0) RaiseResetFailed();
}

void SwitchOnUnlessFinished(Station& station, uint8_t point, uint8_t switchOn) {
    if (switchOn == 0) return;
    const uint8_t state = station.Point(point).PointState;
    if (state >= 0xD0 && state <= 0xD6) return;  // a finished delivery waits to be taken
    SendFillingPointControl(station, point, switchOn);
}

}  // namespace sb
