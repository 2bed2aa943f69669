#include "decode/Faults.h"

#include <string>

namespace sbdecode {
namespace {

const FaultKind kKinds[kFaultKinds] = {
    {"no answer", "silent", "no_answer", "нет ответа",
     "an awaited answer did not come: the port's line result 2; the driver's noAnswers", true},
    {"NAK", "NAK", "nak", "NAK", "the answer is NAK alone; the driver's naksReceived", true},
    {"bad block check", "corrupt", "bad_check", "ошибка контрольной суммы",
     "a block whose check byte is not the one its data make; the driver's badChecks", true},
    {"line noise", "noise", "noise", "помехи на линии", "an answer that is no frame at all", true},
    {"wait", "wait", "wait", "ожидание", "a block of four characters, the third \"8\"; the driver's waits", true},
    {"refused", "refused", "refused", "отказ", "a block of four characters, the third \"9\"; the driver's refusals",
     true},
    {"switched off", "off", "switched_off", "ТРК выключена", "a status report with the status \"7\"", false},
    {"device missing", "missing", "device_missing", "нет устройства линии",
     "the line's device could not be opened, written or read", false},
    {"exchange limit", "limit", "exchange_limit", "предел обменов",
     "a call reached the driver's limit of exchanges; the driver's exchangeLimits", false},
    {"driver failure", "failed", "driver_failure", "сбой драйвера", "a call ended with the driver's failure", false},
};

// A short answer of the dispenser: "0", the channel, the code, "0".
constexpr std::size_t kShortAnswerLength = 4;
constexpr char kWaitCode = '8';
constexpr char kRefusalCode = '9';

}  // namespace

const FaultKind& KindOf(Fault fault) { return kKinds[static_cast<std::size_t>(fault)]; }

std::optional<Fault> AnswerFault(const Frame& answer) {
    switch (answer.kind) {
        case FrameKind::kNak: return Fault::kNak;
        case FrameKind::kUnknown: return Fault::kNoise;
        case FrameKind::kBlock: break;
        default: return std::nullopt;
    }
    if (!answer.checkGood) return Fault::kBadCheck;
    const std::string& data = answer.data;
    if (data.size() == kShortAnswerLength && data[2] == kWaitCode) return Fault::kWait;
    if (data.size() == kShortAnswerLength && data[2] == kRefusalCode) return Fault::kRefused;
    return std::nullopt;
}

std::optional<Fault> ExchangeFault(const ReadExchange& read) {
    if (read.silent) return Fault::kNoAnswer;
    return read.cutShort ? std::nullopt : AnswerFault(read.answer);
}

}  // namespace sbdecode
