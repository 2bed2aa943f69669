// libFuzzer target: a dispenser that answers every exchange with bytes chosen by the fuzzer. Whatever it says,
// the driver must neither crash, nor read or write out of bounds, nor hang; failures reach the host as ESerialIO.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "line/PortServiceAdapter.h"
#include "platform/Clock.h"
#include "sbdriver/sbdriver.h"
#include "sim/Wire.h"

namespace {

// Time that never waits, so an input runs in microseconds.
class NoWaiting final : public sb::platform::TimeSource {
public:
    sb::platform::TimeOfDay LocalTime() override { return {12, 0, 0, 0}; }
    void Sleep(uint32_t) override {}
};

// Each exchange takes one control byte and answer bytes from the input; an exhausted input is silence. The
// control byte's low six bits are how many bytes follow; with its top bit set they are sent as one well-framed
// block (STX, data, ETX, check byte), so that replies get past the block check and into the operations.
struct HostilePort : sbline::PortServiceAdapter<HostilePort> {
    SbReceiveHandler handler{};
    const uint8_t* data = nullptr;
    size_t left = 0;
    uint32_t status = 1;

    int32_t ErrorResult(uint32_t) { return -1; }
    uint32_t LineStatus(uint32_t) { return status; }
    int32_t Configure(uint32_t, uint32_t, uint32_t) { return 0; }
    void SetReceiveHandler(uint32_t, SbReceiveHandler receiveHandler) { handler = receiveHandler; }
    void SetLineSetupHandler(uint32_t, SbLineSetupHandler) {}

    size_t Answer(uint8_t* receive) {
        if (left == 0) return 0;
        const uint8_t control = data[0];
        ++data;
        --left;
        size_t count = std::min<size_t>(control & 0x3F, left);
        const bool framed = (control & 0x80) != 0 && count > 0;
        uint8_t* out = framed ? receive + 1 : receive;
        std::memcpy(out, data, count);
        data += count;
        left -= count;
        if (!framed) return count;
        receive[0] = sbsim::kStx;
        receive[count + 1] = sbsim::kEtx;
        receive[count + 2] = sbsim::BlockCheck(out, count, sbsim::kEtx);
        return count + 3;
    }

    int32_t SendReceive(uint32_t point, uint8_t*, uint32_t, uint8_t* receive, uint32_t replySize, uint32_t) {
        const size_t count = Answer(receive);
        status = (count == 0 && replySize != 0) ? 2 : 1;
        uint8_t received = static_cast<uint8_t>(count);
        uint8_t size = static_cast<uint8_t>(replySize);
        if (handler.code != nullptr) handler.code(handler.self, point, receive, 0, &received, &size);
        return 0;
    }
};

template <typename Call>
void AsHost(Call&& call) {
    try {
        call();
    } catch (const sb::ESerialIO&) {
        // A failed exchange is an ordinary outcome for a host.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NoWaiting clock;
    sb::platform::InstallTimeSource(&clock);
    HostilePort port;
    port.data = data;
    port.left = size;
    SbDriver* driver = sb::NewDriver(port.port(), "/nonexistent/cnf.INI");
    const SbDriverVtbl& vm = *driver->vtbl;
    const uint32_t point = 1 + (size > 0 ? data[0] % 2 : 0);
    const int32_t grade = size > 1 ? data[1] % 8 : 1;

    AsHost([&] { vm.OpenLine(driver, point); });
    for (int i = 0; i < 4; ++i) AsHost([&] { vm.PollStatus(driver, point, 0); });
    vm.SetVolumePreset(driver, point, 0, 0, 0, 2.5);
    vm.SetPrice(driver, point, 0, grade, 0, 0, 45.90);
    AsHost([&] { vm.Start(driver, point, 0, grade, 1); });
    double volume = 0, amount = 0;
    AsHost([&] { vm.CurrentDeliveryData(driver, point, 0, &amount); });
    AsHost([&] { vm.FinalDeliveryData(driver, point, 0, &volume, &amount); });
    AsHost([&] { vm.GetCounter(driver, point, 0, grade, &volume, &amount, 0, 0); });
    AsHost([&] { vm.GetCounter(driver, point, 0, 3, &volume, &amount, 0, 0); });
    delete &sb::TVM30::From(driver);
    return 0;
}
