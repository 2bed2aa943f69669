// The failures of the link layer, each with the text the host sees.
#pragma once

#include "common/Failure.h"

namespace sb {

// A poll, acknowledgement or end-of-transmission exchange failed at the port. Operations that reset or
// maintain a dispenser use the same text.
[[noreturn]] inline void RaiseResetFailed() {
    static const SystemText text("Невозможно выполнить сброс ТРК");
    RaiseSerialIO(text);
}

// The dispenser kept its line busy for more than ten poll cycles.
[[noreturn]] inline void RaiseNotReceiving() {
    static const SystemText text("Невозможно перевести ТРК в режим приема");
    RaiseSerialIO(text);
}

// The select exchange failed at the port.
[[noreturn]] inline void RaiseSelectFailed() {
    static const SystemText text("Невозможно перейти в режим передачи к ТРК");
    RaiseSerialIO(text);
}

}  // namespace sb
