#include "StackWordChecks.h"

#include <cstdio>

#include "Check.h"
#include "EspProbe.h"
#include "Structured.h"

namespace wintest {
namespace {

// 32-bit words each slot removes, the object (and for slots 1 and 21 the result address) included. Slot 0
// never returns: it raises.
constexpr uint32_t kSlotWords[25] = {0, 2, 3, 2, 4, 2, 5, 8, 8, 4, 3, 8, 4, 7, 7, 4, 2, 4, 5, 5, 3, 5, 5, 5, 3};

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

template <typename Result, typename... Args>
void CheckSlotRemoves(int slot, Result(__stdcall* fn)(Args...), AsParameterOf<Args>... args) {
    const std::string name = "slot " + std::to_string(slot);
    const uint32_t bytes = kSlotWords[slot] * 4;
    ExpectEqual(StackBytes<Args...>(), bytes,
                name + ": the public header's prototype takes " + std::to_string(kSlotWords[slot]) + " words");
    uint32_t removed = 0;
    EXCEPTION_RECORD caught{};
    if (RaisesStructured([&] { (void)CallProbed(fn, &removed, args...); }, &caught)) {
        Report(false, name + " returns normally", "raised " + Hex(caught.ExceptionCode));
        return;
    }
    ExpectEqual(removed, bytes, name + " removes " + std::to_string(bytes) + " bytes");
}

// A host menu without sub-items: slot 24 finds no dispenser menu in it.
uint32_t __stdcall NoItems(SbMenuItem*) { return 0; }
SbMenuItem* __stdcall NoItem(SbMenuItem*, uint32_t) { return nullptr; }
uint32_t __stdcall NoCaption(SbMenuItem*, char*, uint32_t) { return 0; }
void __stdcall IgnoreText(SbMenuItem*, const char*) {}
void __stdcall IgnoreNumber(SbMenuItem*, int32_t) {}
void __stdcall IgnoreShortcut(SbMenuItem*, uint32_t) {}
void __stdcall IgnoreClick(SbMenuItem*, SbMenuClickHandler) {}
SbMenuItem* __stdcall CreateNoItem(SbMenuItem*, int32_t) { return nullptr; }
const SbMenuItemVtbl kEmptyMenuTable = {&NoItems,    &NoItem,       &NoCaption,      &IgnoreText,
                                        &IgnoreText, &IgnoreNumber, &IgnoreShortcut, &IgnoreClick};

uint32_t __cdecl CdeclSum(uint32_t a, uint32_t b, uint32_t c) { return a + b + c; }
uint64_t __stdcall StdcallWide(uint32_t high, uint32_t low) { return (static_cast<uint64_t>(high) << 32) | low; }
double __stdcall StdcallScaled(double value, uint32_t factor) { return value * factor; }

}  // namespace

void CheckProbeControls() {
    uint32_t removed = 99;
    using Stdcall3 = uint32_t(__stdcall*)(uint32_t, uint32_t, uint32_t);
    const uint32_t sum = CallProbed(reinterpret_cast<Stdcall3>(&CdeclSum), &removed, 1u, 2u, 3u);
    ExpectEqual(removed, 0u, "probe: a cdecl function behind a stdcall pointer shows 0 of 12 bytes removed");
    ExpectEqual(sum, 6u, "probe: EAX passes through");
    const uint64_t wide = CallProbed(&StdcallWide, &removed, 0x01234567u, 0x89ABCDEFu);
    ExpectEqual(removed, 8u, "probe: a stdcall function of 2 words shows 8 bytes removed");
    Expect(wide == 0x0123456789ABCDEFull, "probe: EDX:EAX passes through");
    const double scaled = CallProbed(&StdcallScaled, &removed, 1.25, 4u);
    ExpectEqual(removed, 12u, "probe: a double argument counts as 2 words");
    ExpectEqual(scaled, 5.0, "probe: ST(0) passes through");
}

void CheckSlotStackWords(HostSetup& host) {
    const SbDriverVtbl& slots = host.Slots();
    SbDriver* const self = host.driver;
    const uint32_t p = kSlotPoint;
    SbDescription description{};
    SbStatusRecord record{};
    double volume = 0;
    double amount = 0;
    int32_t answer = 0;
    SbMenuItem menus{&kEmptyMenuTable};

    // The small slots first, then the line opened and the slots that talk to the dispenser.
    CheckSlotRemoves(1, slots.Describe, &description, self);
    CheckSlotRemoves(2, slots.SetLineResult, self, p, 1u);
    CheckSlotRemoves(3, slots.GetLineResult, self, p);
    CheckSlotRemoves(5, slots.Reserved5, self, 0u);
    CheckSlotRemoves(8, slots.Reserved8, self, 0u, 0u, 0u, 0u, 0u, 0u, 0u);
    CheckSlotRemoves(11, slots.SetPrice, self, p, 0u, 1, 0u, 0u, 45.0);
    CheckSlotRemoves(12, slots.Reserved12, self, 0u, 0u, 0u);
    CheckSlotRemoves(13, slots.SetVolumePreset, self, p, 0u, 0u, 0u, 10.0);
    CheckSlotRemoves(14, slots.SetAmountPreset, self, p, 0u, 0u, 0u, 450.0);
    CheckSlotRemoves(17, slots.Reserved17, self, 0u, 0u, 0u);
    CheckSlotRemoves(18, slots.Reserved18, self, 0u, 0u, 0u, 0u);
    CheckSlotRemoves(20, slots.Capability, self, 9u, &answer);
    CheckSlotRemoves(24, slots.HookMenu, self, &menus, &CreateNoItem);
    CheckSlotRemoves(16, slots.OpenLine, self, p);
    CheckSlotRemoves(10, slots.PollStatus, self, p, 0u);
    CheckSlotRemoves(21, slots.StatusRecord, &record, self, p, 0u, 0u);
    CheckSlotRemoves(4, slots.FillingPointControl, self, p, 0u, 1u);
    CheckSlotRemoves(22, slots.SwitchPoint, self, p, 0u, 0u, 1u);
    CheckSlotRemoves(23, slots.SwitchPointAgain, self, p, 0u, 0u, 1u);
    CheckSlotRemoves(19, slots.Start, self, p, 0u, 1, 1u);
    CheckSlotRemoves(15, slots.StartGrade1, self, p, 0u, 0u);
    CheckSlotRemoves(9, slots.CurrentDeliveryData, self, p, 0u, &amount);
    CheckSlotRemoves(6, slots.FinalDeliveryData, self, p, 0u, &volume, &amount);
    CheckSlotRemoves(7, slots.GetCounter, self, p, 0u, 1, &volume, &amount, 0u, 0u);
}

}  // namespace wintest
