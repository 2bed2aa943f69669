// Texts of the messages the dispenser sends. Every normal reply starts with a four-character header:
// '0', the channel, the dispenser's sequence digit, '0'.
#ifndef SBSIM_REPLIES_H
#define SBSIM_REPLIES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sbsim {

constexpr std::size_t kStatusReportLength = 18;
constexpr std::size_t kDataTransactionLength = 36;
constexpr std::size_t kCounterReplyLength = 182;

// Third character of the four-character code answers.
constexpr char kWaitCode = '8';
constexpr char kRefusalCode = '9';
constexpr char kResetRequestCode = '?';

// value in exactly width decimal digits: zero-padded, higher digits dropped (the counters wrap).
std::string FixedDigits(int64_t value, std::size_t width);

std::string ReplyHeader(char channel, char sequence);

// "0", channel, code, "0": wait, refusal or reset request; carries no sequence digit.
std::string CodeAnswer(char channel, char code);

// Four-character acknowledgement of a request that has no reply of its own.
std::string Acknowledgement(char channel, char sequence);

// 18 characters: 0 first, 1 '1', 2 sequence, 3 '0', 4..9 "0000ZD", 10..11 "01", 12 '0', 13 digit, 14 '0',
// 15 status, 16..17 "00". first is '0' normally and '1' (equal to character 1) to ask for a MASTER RESET.
std::string StatusReport(char first, char sequence, char status, int digit);

struct SaleFigures {
    int grade = 0;
    int nozzle = 0;
    int64_t volume = 0;  // hundredths of a litre
    int64_t price = 0;   // price units per litre
    int64_t amount = 0;  // amount units
};

// 36 characters: header, 4..9 "0002ZD", 10..11 "01", 12..13 "0" grade, 14 nozzle, 15..20 volume,
// 21..25 price, 26..31 amount, 32 status, 33..35 "000".
std::string DataTransactionReply(char channel, char sequence, const SaleFigures& sale, char status);

// Per grade 1..8 (index 0 unused): hundredths of a litre and amount units.
using Totals = std::array<int64_t, 9>;

// 182 characters: header, 4..9 "0003ZD", 10..11 "01", 12..13 "00", then for k = 1..8 a record at 21k-7:
// the digit k, 10 digits volume total, 10 digits amount total.
std::string CounterReply(char channel, char sequence, const Totals& volumes, const Totals& amounts);

// Header, "9999ZD", "0002", "SIM" and a four-digit version.
std::string IdentificationReply(char channel, char sequence);

}  // namespace sbsim

#endif
