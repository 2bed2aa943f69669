#include "operations/StatusClassification.h"

namespace sb {
namespace {

constexpr uint8_t kIdle = 0xC0;
constexpr uint8_t kStarted = 0xE8;
constexpr uint8_t kCalling = 0xE0;
constexpr uint8_t kDelivering = 0xD8;
constexpr uint8_t kFinished = 0xD0;

uint8_t Plus(uint8_t base, uint8_t digit) { return static_cast<uint8_t>(base + digit); }

}  // namespace

StatusClass ClassifyStatus(uint8_t statusChar, uint8_t digit, uint8_t startHold) {
    switch (statusChar) {
        case '0':
        case '7':
        case '8': return {kIdle, 0, false, StatusFollowUp::None};
        case '1':
            if (startHold > 0)
                return {Plus(kStarted, digit), static_cast<uint8_t>(startHold - 1), false, StatusFollowUp::None};
            return {Plus(kCalling, digit), std::nullopt, false, StatusFollowUp::None};
        case '2':
        case ':':
        case ';': return {Plus(kDelivering, digit), 0, true, StatusFollowUp::None};
        case '3':
        case '4': return {Plus(kFinished, digit), std::nullopt, false, StatusFollowUp::TakeFinishedDelivery};
        case '5': return {kIdle, 0, false, StatusFollowUp::ReadDeliveryData};
        case '9': return {kIdle, std::nullopt, false, StatusFollowUp::Initialise};
        default: return {kIdle, 0, false, StatusFollowUp::MasterReset};
    }
}

}  // namespace sb
