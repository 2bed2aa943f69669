#include "driver/SlotBoundary.h"

namespace sb {

SlotFailure& ThreadSlotFailure() {
    thread_local SlotFailure failure;
    return failure;
}

SbFailure& ThreadReportedFailure() {
    thread_local SbFailure record{};
    return record;
}

uint32_t& ThreadReportedReason() {
    thread_local uint32_t reason = SB_REASON_NONE;
    return reason;
}

}  // namespace sb
