#include "SlotResultChecks.h"

#include <cstring>

#include "Check.h"

namespace wintest {

void CheckDescription(HostSetup& host) {
    uint8_t area[40];
    std::memset(area, 0xAA, sizeof area);
    host.Slots().Describe(reinterpret_cast<SbDescription*>(area), host.driver);
    const std::string text = Cp1251("v2.50#Протокол к Sheidt&Bachman");
    ExpectEqual(static_cast<int>(area[0]), 31, "slot 1: the length byte is 31");
    Expect(text.size() == 31 && std::memcmp(area + 1, text.data(), 31) == 0,
           "slot 1: 31 Windows-1251 characters of the description follow");
    bool untouched = true;
    for (size_t i = 32; i < sizeof area; ++i) untouched = untouched && area[i] == 0xAA;
    Expect(untouched, "slot 1: the bytes after the 32-byte block are left alone");
}

void CheckLineResult(HostSetup& host) {
    const SbDriverVtbl& slots = host.Slots();
    slots.SetLineResult(host.driver, 0xAB00 + kSlotPoint, 0x1203);
    ExpectEqual(slots.GetLineResult(host.driver, kSlotPoint), 3u,
                "slots 2 and 3: the low bytes of point and value count, the result is widened cleanly");
    ExpectEqual(slots.GetLineResult(host.driver, 0x7700 + kSlotPoint), 3u,
                "slot 3: the point is the low byte of its word");
    slots.SetLineResult(host.driver, kSlotPoint, 1);
    ExpectEqual(slots.GetLineResult(host.driver, kSlotPoint), 1u, "slot 2 sets the line result back to 1");
}

void CheckCapabilities(HostSetup& host) {
    struct Case {
        uint32_t code;
        uint32_t result;
        int32_t answer;
    };
    constexpr int32_t kUntouched = -12345;
    const Case cases[] = {{0, 0, kUntouched}, {1, 1, 0},    {2, 1, 0},          {3, 1, 1},
                          {4, 1, 0},          {5, 1, 1},    {6, 1, 0},          {7, 0, kUntouched},
                          {8, 0, kUntouched}, {9, 1, 9700}, {10, 0, kUntouched}};
    for (const Case& c : cases) {
        int32_t answer = kUntouched;
        const uint32_t result = host.Slots().Capability(host.driver, c.code, &answer);
        const std::string name = "slot 20, code " + std::to_string(c.code);
        ExpectEqual(result, c.result, name + ": result in a clean EAX");
        ExpectEqual(answer, c.answer, name + ": answer");
    }
}

void CheckStatusRecord(HostSetup& host) {
    const SbDriverVtbl& slots = host.Slots();
    const uint32_t state = slots.PollStatus(host.driver, kSlotPoint, 0);
    Expect(state <= 0xFF, "slot 10: the state code comes back in a clean register", "EAX " + std::to_string(state));
    uint8_t area[20];
    std::memset(area, 0x5A, sizeof area);
    slots.StatusRecord(reinterpret_cast<SbStatusRecord*>(area), host.driver, 0x3300 + kSlotPoint, 0x44, 0);
    const int code = area[0];
    Expect(code == 0xC0 || (code >= 0xD0 && code <= 0xEF), "slot 21: byte 0 is a state code", std::to_string(code));
    ExpectEqual(static_cast<int>(area[1]), 0, "slot 21: byte 1 is 0");
    ExpectEqual(static_cast<int>(area[14]), code & 7, "slot 21: byte 14 is the state code AND 7");
    ExpectEqual(static_cast<int>(area[15]), 0, "slot 21: byte 15 is 0");
    bool kept = true;
    for (int i = 2; i <= 13; ++i) kept = kept && area[i] == 0x5A;
    for (int i = 16; i < 20; ++i) kept = kept && area[i] == 0x5A;
    Expect(kept, "slot 21: the caller's bytes 2 to 13 (and beyond 16) are left alone");
}

}  // namespace wintest
