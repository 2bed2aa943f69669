#include "operations/MessageBuilder.h"

#include <algorithm>
#include <cstring>

namespace sb {

void BuildHeader(Station& station, uint8_t point, DispenserMessage& message) {
    const LinkContext& link = station.LinkOf(point);
    const char header[4] = {'0', '0', link.SeqChar[0], link.ReqChar[0]};
    AppendText(message, std::string_view(header, sizeof header));
}

void AppendText(DispenserMessage& message, std::string_view text) {
    const size_t room = DispenserMessage::kCapacity - message.length;
    const size_t count = std::min(room, text.size());
    std::memcpy(message.bytes.data() + message.length, text.data(), count);
    message.length = static_cast<uint8_t>(message.length + count);
}

void BuildChannel1Header(Station& station, uint8_t point, DispenserMessage& message) {
    BuildHeader(station, point, message);
    message.bytes[1] = '1';
}

}  // namespace sb
