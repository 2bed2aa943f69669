// A dispenser message: the request text on the way out, the reply's data bytes on the way back.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace sb {

struct DispenserMessage {
    static constexpr uint8_t kCapacity = 254;
    // replyLength while the blocks go out, kept by a message that never got through: nonzero, and shorter than
    // any reply.
    static constexpr uint8_t kSendingReplyLength = 2;

    std::array<uint8_t, kCapacity> bytes{};
    uint8_t length = 0;       // running length of the request
    uint8_t replyLength = 0;  // data bytes of the reply placed in bytes
    // Set by SendMessage once the dispenser acknowledged every block of the request; a message that never got
    // through leaves it clear, whatever result SendMessage returned.
    bool delivered = false;

    // Copies text at the current length and advances it; what would not fit is cut at the end of the buffer.
    void Append(std::string_view text) {
        const size_t count = std::min<size_t>(kCapacity - length, text.size());
        std::copy_n(text.begin(), count, bytes.begin() + length);
        length = static_cast<uint8_t>(length + count);
    }
};

}  // namespace sb
