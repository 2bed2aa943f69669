#include "driver/HostMethodTable.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/Cp1251.h"
#include "common/Failure.h"
#include "driver/SlotBoundary.h"
#include "driver/TVM30.h"
#include "logging/Log.h"
#include "operations/Counters.h"
#include "operations/DeliveryData.h"
#include "operations/FillingPointControl.h"
#include "operations/PricesAndPresets.h"
#include "operations/StartDelivery.h"
#include "operations/StatusPolling.h"
#include "settings/MenuHook.h"

namespace sb {

namespace {

TVM30& Driver(SbDriver* self) { return TVM30::From(self); }

uint8_t LowByte(uint32_t value) { return static_cast<uint8_t>(value & 0xFFu); }

std::string BadPointLine(uint32_t point, int slot) {
    return "BAD POINT(" + std::to_string(point) + "): slot " + std::to_string(slot) + " refused";
}

// A point number outside 1..32 never reaches the tables: the slot refuses the call with one log line, which in
// return mode is also the call's record.
bool Refused(SbDriver* self, uint32_t point, int slot) {
    if (IsPoint(point)) return false;
    const std::string line = BadPointLine(point, slot);
    WriteLog(kLevelTrace, line);
    ReportRefusal(self, line, SB_REASON_POINT_REFUSED);
    return true;
}

// A host told nothing of a refused START or OpenLine would take a pump for authorised or a line for open: those
// two raise in either mode.
void RaiseIfBadPoint(uint32_t point, int slot, const char* text) {
    if (IsPoint(point)) return;
    const std::string line = BadPointLine(point, slot);
    WriteLog(kLevelTrace, line);
    RaiseSerialIO(SystemText(text != nullptr ? text : line.c_str()), SB_REASON_POINT_REFUSED);
}

void SB_CALL Abstract(SbDriver* self) {
    AtSlotBoundary({self, 0}, []() { throw EAbstractError(); });
}

void SB_CALL Describe(SbDescription* out, SbDriver* self) {
    AtSlotBoundary({self, 1}, [&]() {
        static const SystemText kText("v2.50#Протокол к Sheidt&Bachman");
        if (out == nullptr) return;
        const size_t length = std::min(kText.cp1251.size(), sizeof out->bytes - 1);
        out->bytes[0] = static_cast<uint8_t>(length);
        std::memcpy(out->bytes + 1, kText.cp1251.data(), length);
    });
}

void SB_CALL SetLineResult(SbDriver* self, uint32_t point, uint32_t value) {
    AtSlotBoundary({self, 2, LowByte(point)}, [&]() {
        if (!Refused(self, LowByte(point), 2))
            Driver(self).LinkOf(LowByte(point)).Line = static_cast<LineState>(LowByte(value));
    });
}

uint32_t SB_CALL GetLineResult(SbDriver* self, uint32_t point) {
    return AtSlotBoundary({self, 3, LowByte(point)}, [&]() -> uint32_t {
        return Refused(self, LowByte(point), 3) ? 0u
                                                : static_cast<uint8_t>(Driver(self).LinkOf(LowByte(point)).Line.Load());
    });
}

int32_t SB_CALL FillingPointControl(SbDriver* self, uint32_t point, uint32_t, uint32_t control) {
    return AtSlotBoundary({self, 4, LowByte(point)}, [&]() -> int32_t {
        if (Refused(self, LowByte(point), 4)) return 0;
        SendFillingPointControl(Driver(self), LowByte(point), LowByte(control));
        return 0;
    });
}

void SB_CALL DoNothing1(SbDriver*, uint32_t) {}

// The two results of slots 6 and 7: written through the host's addresses, or into scratch where the host
// passed none; both zero when the call is refused.
struct PairOut {
    PairOut(double* hostVolume, double* hostAmount)
        : volume(hostVolume != nullptr ? hostVolume : &scratch[0]),
          amount(hostAmount != nullptr ? hostAmount : &scratch[1]) {}
    void Zero() { *volume = *amount = 0; }
    double scratch[2] = {};
    double* volume;
    double* amount;
};

void SB_CALL FinalData(SbDriver* self, uint32_t point, uint32_t, double* volume, double* amount) {
    PairOut out(volume, amount);
    AtSlotBoundary(
        {self, 6, LowByte(point)},
        [&]() {
            if (Refused(self, LowByte(point), 6)) {
                out.Zero();
                return;
            }
            FinalDeliveryData(Driver(self), LowByte(point), out.volume, out.amount);
        },
        [&]() { out.Zero(); });
}

void SB_CALL Counter(SbDriver* self, uint32_t point, uint32_t, int32_t grade, double* volume, double* amount, uint32_t,
                     uint32_t) {
    PairOut out(volume, amount);
    AtSlotBoundary(
        {self, 7, LowByte(point)},
        [&]() {
            if (Refused(self, LowByte(point), 7)) {
                out.Zero();
                return;
            }
            GetCounter(Driver(self), LowByte(point), grade, out.volume, out.amount);
        },
        [&]() { out.Zero(); });
}

void SB_CALL DoNothing7(SbDriver*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}

double SB_CALL CurrentData(SbDriver* self, uint32_t point, uint32_t, double* amount) {
    double unusedAmount = 0;
    double* amountOut = amount != nullptr ? amount : &unusedAmount;
    return AtSlotBoundary(
        {self, 9, LowByte(point)},
        [&]() -> double {
            if (Refused(self, LowByte(point), 9)) {
                *amountOut = 0;
                return 0;
            }
            return CurrentDeliveryData(Driver(self), LowByte(point), amountOut);
        },
        [&]() { *amountOut = 0; });
}

uint32_t SB_CALL Status(SbDriver* self, uint32_t point, uint32_t) {
    return AtSlotBoundary({self, 10, LowByte(point)}, [&]() -> uint32_t {
        if (Refused(self, LowByte(point), 10)) return 0;
        return PollStatus(Driver(self), LowByte(point));
    });
}

void SB_CALL SetPrice(SbDriver* self, uint32_t point, uint32_t, int32_t grade, uint32_t, uint32_t, double price) {
    AtSlotBoundary({self, 11, LowByte(point)}, [&]() {
        // The whole 32-bit point is checked here, on purpose (host guide, "Points, grades and units").
        if (!Refused(self, point, 11)) ReportRefusal(self, SetGradePrice(Driver(self), LowByte(point), grade, price));
    });
}

void SB_CALL DoNothing3(SbDriver*, uint32_t, uint32_t, uint32_t) {}

void SB_CALL VolumePreset(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t, double volume) {
    AtSlotBoundary({self, 13, LowByte(point)}, [&]() {
        // The whole 32-bit point is checked here, on purpose (host guide, "Points, grades and units").
        if (!Refused(self, point, 13)) ReportRefusal(self, SetVolumePreset(Driver(self), LowByte(point), volume));
    });
}

void SB_CALL AmountPreset(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t, double amount) {
    AtSlotBoundary({self, 14, LowByte(point)}, [&]() {
        // The whole 32-bit point is checked here, on purpose (host guide, "Points, grades and units").
        if (!Refused(self, point, 14)) ReportRefusal(self, SetAmountPreset(Driver(self), LowByte(point), amount));
    });
}

void SB_CALL StartGrade1(SbDriver* self, uint32_t point, uint32_t second, uint32_t) {
    self->vtbl->Start(self, point, second, 1, 1);
}

int32_t SB_CALL OpenLine(SbDriver* self, uint32_t point) {
    return AtSlotBoundary({self, 16, LowByte(point)}, [&]() -> int32_t {
        RaiseIfBadPoint(LowByte(point), 16, nullptr);
        return Driver(self).OpenLine(LowByte(point));
    });
}

void SB_CALL DoNothing4(SbDriver*, uint32_t, uint32_t, uint32_t, uint32_t) {}

void SB_CALL Start(SbDriver* self, uint32_t point, uint32_t, int32_t grade, uint32_t mode) {
    AtSlotBoundary({self, 19, LowByte(point)}, [&]() {
        RaiseIfBadPoint(LowByte(point), 19, "Can't Start");
        StartDelivery(Driver(self), LowByte(point), grade, LowByte(mode));
    });
}

uint32_t SB_CALL Capability(SbDriver*, uint32_t code, int32_t* answer) {
    static const int32_t kAnswers[] = {0, 0, 0, 1, 0, 1, 0, -1, -1, 9700};  // -1: not a capability
    if (code >= sizeof kAnswers / sizeof kAnswers[0] || code == 0 || kAnswers[code] < 0) return 0;
    if (answer != nullptr) *answer = kAnswers[code];
    return 1;
}

void SB_CALL StatusRecord(SbStatusRecord* out, SbDriver* self, uint32_t point, uint32_t second, uint32_t) {
    const uint32_t code = self->vtbl->PollStatus(self, LowByte(point), LowByte(second));
    if (out == nullptr) return;  // polled all the same: the host asked for the point's status
    // A poll that failed in return mode has no state to hand on: the record stays as the host had it.
    if (ReturnsFailures(self) && ThreadReportedFailure().code != SB_FAILURE_NONE) return;
    out->bytes[0] = LowByte(code);
    out->bytes[1] = 0;
    out->bytes[14] = static_cast<uint8_t>(code & 7u);
    out->bytes[15] = 0;
}

void SB_CALL SwitchPoint(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t control) {
    AtSlotBoundary({self, 22, LowByte(point)}, [&]() {
        if (Refused(self, LowByte(point), 22) || LowByte(control) == 0) return;
        SwitchOnUnlessFinished(Driver(self), LowByte(point), LowByte(control));
    });
}

void SB_CALL SwitchPointAgain(SbDriver* self, uint32_t point, uint32_t second, uint32_t third, uint32_t control) {
    self->vtbl->SwitchPoint(self, point, second, third, control);
}

void SB_CALL HookMenu(SbDriver* self, SbMenuItem* menus, SbCreateMenuItem create) {
    AtSlotBoundary({self, 24}, [&]() {
        TVM30& driver = Driver(self);
        AddSettingsMenuEntry(driver.MenuPending, driver.SettingsClickHandler(), menus, create);
    });
}

const SbDriverVtbl kTable = {
    Abstract,    Describe,     SetLineResult, GetLineResult,    FillingPointControl,
    DoNothing1,  FinalData,    Counter,       DoNothing7,       CurrentData,
    Status,      SetPrice,     DoNothing3,    VolumePreset,     AmountPreset,
    StartGrade1, OpenLine,     DoNothing3,    DoNothing4,       Start,
    Capability,  StatusRecord, SwitchPoint,   SwitchPointAgain, HookMenu,
};

}  // namespace

const SbDriverVtbl& HostMethodTable() { return kTable; }

}  // namespace sb
