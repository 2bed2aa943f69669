#include "line/SerialPortService.h"

#include <algorithm>
#include <cstdio>

#include "line/LineSpeeds.h"

namespace sbline {
namespace {

constexpr uint32_t kSpeedMask = 0xFFFF;
constexpr unsigned kMarkShift = 24;
constexpr uint32_t kMarkedBits = 0xFFFF0000;

std::string SpeedCodeText(uint32_t speedCode) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(speedCode));
    return text;
}

}  // namespace

SerialPortService::SerialPortService(const std::map<uint32_t, std::string>& devices, int turnaroundMs) {
    for (Line& line : lines_) line.serial.SetTurnaround(turnaroundMs);
    for (const auto& [point, device] : devices) {
        if (point >= 1 && point <= kMaxPoint) lines_[point].device = device;
    }
}

std::string SerialPortService::LastError(uint32_t point) const {
    if (point < 1 || point > kMaxPoint || lines_[point].device.empty())
        return "no device was given for line " + std::to_string(point);
    return lines_[point].error;
}

SerialPortService::Line* SerialPortService::LineOf(uint32_t point) {
    if (point < 1 || point > kMaxPoint || lines_[point].device.empty()) return nullptr;
    return &lines_[point];
}

int32_t SerialPortService::ConfigureLine(uint32_t point, uint32_t speedCode) {
    Line* line = LineOf(point);
    if (line == nullptr) return kNoSuchLine;
    const uint32_t mark = speedCode >> kMarkShift;
    const int baud = static_cast<int>(speedCode & kSpeedMask);
    if ((speedCode & kMarkedBits) != (mark << kMarkShift) || (mark != 0 && mark != kLinkUnitLineMark) ||
        !IsSupportedBaud(baud)) {
        line->error = "unsupported speed code " + SpeedCodeText(speedCode) + " (2400 or 9600, top byte 0 or 7)";
        return kUnsupportedSpeed;
    }
    std::string error;
    if (!line->serial.Configure(line->device, baud, &error)) {
        line->error = error;
        return kDeviceFailed;
    }
    line->error.clear();
    return 0;
}

int32_t SerialPortService::Exchange(uint32_t point, const uint8_t* send, uint32_t sendCount, uint8_t* receive,
                                    uint32_t replySize) {
    Line* line = LineOf(point);
    if (line == nullptr) return kNoSuchLine;
    line->status = kLineNoAnswer;
    std::size_t received = 0;
    std::string error;
    if (!line->serial.Exchange(send, std::min<std::size_t>(sendCount, kMaxAnswerBytes), receive, replySize, &received,
                               &error)) {
        line->error = error;
        return kDeviceFailed;
    }
    line->status = (received > 0 || replySize == 0) ? kLineGood : kLineNoAnswer;
    if (line->receive.code != nullptr) {
        uint8_t count = static_cast<uint8_t>(received);
        uint8_t size = static_cast<uint8_t>(std::min<uint32_t>(replySize, kMaxAnswerBytes));
        line->receive.code(line->receive.self, point, receive, 0, &count, &size);
    }
    return 0;
}

int32_t SerialPortService::ErrorResult(uint32_t /*point*/) { return kPortFailed; }

uint32_t SerialPortService::LineStatus(uint32_t point) {
    const Line* line = LineOf(point);
    return line == nullptr ? kLineNoAnswer : line->status;
}

int32_t SerialPortService::SendReceive(uint32_t point, uint8_t* send, uint32_t sendCount, uint8_t* receive,
                                       uint32_t replySize, uint32_t /*zero*/) {
    try {
        return Exchange(point, send, sendCount, receive, replySize);
    } catch (...) {
        return kPortFailed;  // the receive handler or an allocation failed; the driver then asks slot 1
    }
}

int32_t SerialPortService::Configure(uint32_t point, uint32_t /*ten*/, uint32_t speedCode) {
    try {
        return ConfigureLine(point, speedCode);
    } catch (...) {
        return kPortFailed;
    }
}

void SerialPortService::SetReceiveHandler(uint32_t point, SbReceiveHandler handler) {
    if (Line* line = LineOf(point)) line->receive = handler;
}

void SerialPortService::SetLineSetupHandler(uint32_t point, SbLineSetupHandler handler) {
    if (Line* line = LineOf(point)) line->setup = handler;
}

}  // namespace sbline
