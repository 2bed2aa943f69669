// A dispenser message: the request text on the way out, the reply's data bytes on the way back.
#pragma once

#include <array>
#include <cstdint>

namespace sb {

struct DispenserMessage {
    static constexpr uint8_t kCapacity = 254;

    std::array<uint8_t, kCapacity> bytes{};
    uint8_t length = 0;       // running length of the request
    uint8_t replyLength = 0;  // data bytes of the reply placed in bytes
};

}  // namespace sb
