// What a dispenser's status report means for its point: the state code the host gets and what the driver must do
// next. Pure: it reads only the report and the point's bookkeeping, and sends nothing.
#pragma once

#include <cstdint>
#include <optional>

namespace sb {

enum class StatusFollowUp : uint8_t {
    None,
    TakeFinishedDelivery,  // "3", "4": the delivery is over, its figures are read as final
    ReadDeliveryData,      // "5": the figures are read
    Initialise,            // "9": identification and initialisation, with their waits
    MasterReset,           // "6", and anything below "0" or above ";"
};

struct StatusClass {
    uint8_t code = 0;                  // the state code, stored as the point's PointState once followUp ran
    std::optional<uint8_t> startHold;  // the point's StartHold once followUp ran; none where it stays
    bool saleBegan = false;            // the report shows the delivery began
    StatusFollowUp followUp = StatusFollowUp::None;
};

// statusChar and digit as the report carries them (digit less "0", modulo 256); startHold the reports of "1" that
// still show the point as started after a START.
StatusClass ClassifyStatus(uint8_t statusChar, uint8_t digit, uint8_t startHold);

}  // namespace sb
