#include "sim/Replies.h"

namespace sbsim {

std::string FixedDigits(int64_t value, std::size_t width) {
    if (value < 0) value = 0;
    std::string digits(width, '0');
    for (std::size_t i = width; i > 0 && value > 0; --i) {
        digits[i - 1] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return digits;
}

std::string ReplyHeader(char channel, char sequence) { return std::string{'0', channel, sequence, '0'}; }

std::string CodeAnswer(char channel, char code) { return std::string{'0', channel, code, '0'}; }

std::string Acknowledgement(char channel, char sequence) { return ReplyHeader(channel, sequence); }

std::string StatusReport(char first, char sequence, char status, int digit) {
    std::string text{first, '1', sequence, '0'};
    text += "0000ZD01";
    text += '0';
    text += static_cast<char>('0' + digit);
    text += '0';
    text += status;
    text += "00";
    return text;
}

std::string DataTransactionReply(char channel, char sequence, const SaleFigures& sale, char status) {
    std::string text = ReplyHeader(channel, sequence) + "0002ZD01";
    text += '0';
    text += static_cast<char>('0' + sale.grade);
    text += static_cast<char>('0' + sale.nozzle);
    text += FixedDigits(sale.volume, 6);
    text += FixedDigits(sale.price, 5);
    text += FixedDigits(sale.amount, 6);
    text += status;
    text += "000";
    return text;
}

std::string CounterReply(char channel, char sequence, const Totals& volumes, const Totals& amounts) {
    std::string text = ReplyHeader(channel, sequence) + "0003ZD0100";
    for (std::size_t k = 1; k <= 8; ++k) {
        text += static_cast<char>('0' + k);
        text += FixedDigits(volumes[k], 10);
        text += FixedDigits(amounts[k], 10);
    }
    return text;
}

std::string IdentificationReply(char channel, char sequence) {
    return ReplyHeader(channel, sequence) + "9999ZD0002SIM0250";
}

}  // namespace sbsim
