#include "support/SimDriver.h"

#include "driver/DriverFactory.h"

namespace sbtest {

SimDriver::SimDriver(const std::string& settingsText) {
    const std::string settings = dir.File("cnf.INI");
    if (!settingsText.empty()) WriteFile(settings, settingsText);
    object_ = sb::NewDriver(port.port(), settings);
}

SimDriver::~SimDriver() { delete &sb::TVM30::From(object_); }

void SimDriver::PriceGrades(uint32_t point, double price) {
    for (int32_t grade = 1; grade <= static_cast<int32_t>(sb::kGradeCount); ++grade)
        Slots().SetPrice(Object(), point, 0, grade, 0, 0, price);
}

std::vector<std::string> SimDriver::Sent() const {
    std::vector<std::string> sent;
    for (const sbsim::ExchangeRecord& record : port.exchanges()) sent.push_back(sbsim::Hex(record.sent));
    return sent;
}

std::vector<std::string> SimDriver::SentMessages() const {
    std::vector<std::string> messages;
    std::string current;
    for (const sbsim::ExchangeRecord& record : port.exchanges()) {
        const sbsim::ParsedBlock block = sbsim::ParseBlock(record.sent);
        if (!block.wellFormed) continue;
        // A block that was not acknowledged is sent again: only acknowledged ones count.
        if (record.received.size() < 2 || record.received[0] != sbsim::kDle) continue;
        current += block.data;
        if (block.last) {
            messages.push_back(current);
            current.clear();
        }
    }
    return messages;
}

sbsim::Bytes Block(const std::string& data, bool last) { return sbsim::FrameBlock(data, last); }

sbsim::Bytes Raw(std::initializer_list<uint8_t> bytes) { return sbsim::Bytes(bytes); }

std::string HexOf(const sbsim::Bytes& bytes) { return sbsim::Hex(bytes); }

std::string StatusReport(char status, char digit, char first, char second) {
    std::string report = "01000000000000000";
    report[0] = first;
    report[1] = second;
    report.resize(18, '0');
    report[13] = digit;
    report[15] = status;
    return report;
}

}  // namespace sbtest
