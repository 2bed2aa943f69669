#include "sim/Request.h"

namespace sbsim {
namespace {

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Caller has checked AllDigits and a length that fits.
int64_t DigitsValue(const std::string& text) {
    int64_t value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

// Price and preset travel as one run of digits: the preset is the last six, the price the rest. A price
// wider than the price field of the data transaction reply is refused.
constexpr std::size_t kPresetWidth = 6;
constexpr std::size_t kMaxPriceDigits = 5;

// "0001ZD" pc(2) "0"grade "J" price preset "K" kind mode "000"
bool ParseStart(const std::string& text, StartFields& start) {
    const std::size_t j = text.find('J', 12);
    const std::size_t k = text.find('K', 12);
    if (j == std::string::npos || k == std::string::npos || k < j || text.size() != k + 6) return false;
    start.pointCode = text.substr(10, 2);
    const std::string grade = text.substr(12, j - 12);
    if (grade.size() < 2 || grade.size() > 3 || grade[0] != '0' || !AllDigits(grade)) return false;
    start.grade = static_cast<int>(DigitsValue(grade));
    if (start.grade < 1 || start.grade > 6) return false;
    const std::string numbers = text.substr(j + 1, k - j - 1);
    if (!AllDigits(numbers) || numbers.size() < 4 + kPresetWidth) return false;
    const std::size_t priceDigits = numbers.size() - kPresetWidth;
    if (priceDigits > kMaxPriceDigits) return false;
    start.price = DigitsValue(numbers.substr(0, priceDigits));
    start.preset = DigitsValue(numbers.substr(priceDigits));
    start.kind = text[k + 1];
    start.mode = text[k + 2];
    return (start.kind == '1' || start.kind == '2') && (start.mode == '0' || start.mode == '1') &&
           text.compare(k + 3, 3, "000") == 0;
}

RequestKind KindOfCommand(const std::string& command) {
    if (command == "0000ZD") return RequestKind::Status;
    if (command == "0001ZD") return RequestKind::Start;
    if (command == "0002ZD") return RequestKind::DataTransaction;
    if (command == "0003ZD") return RequestKind::Counter;
    if (command == "0004ZD") return RequestKind::PointControl;
    if (command == "9997ZD") return RequestKind::Initialisation;
    if (command == "9998ZD") return RequestKind::MasterReset;
    if (command == "9999ZD") return RequestKind::Identification;
    return RequestKind::Unknown;
}

}  // namespace

Request ParseRequest(const std::string& message) {
    Request request;
    request.text = message;
    if (message.size() >= 2) request.channel = message[1];
    if (message.size() >= 4) {
        request.sequence = message[2];
        request.requestByte = message[3];
    }
    if (message.size() == 4 && message.compare(0, 3, "018") == 0) {
        request.kind = RequestKind::StatusFollowUp;
    } else if (message.size() == 6 && message.compare(2, 4, "<600") == 0) {
        request.kind = RequestKind::ResetConfirmation;
    } else if (message.size() >= 10) {
        request.kind = KindOfCommand(message.substr(4, 6));
        if (request.kind == RequestKind::Start && !ParseStart(message, request.start)) {
            request.kind = RequestKind::Invalid;
        } else if (request.kind == RequestKind::PointControl) {
            if (message.size() != 18 || (message[14] != '0' && message[14] != '1')) request.kind = RequestKind::Invalid;
            else request.switchOn = message[14] == '1';
        }
    }
    return request;
}

}  // namespace sbsim
