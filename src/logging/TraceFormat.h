// The trace log's tokens that tools read back (decode/): written here once, for the driver that writes the lines
// and for the readers that take them apart. Every line is "hh:mm:ss.zzz text" (Logger.h).
#pragma once

#include <string>
#include <string_view>

#include "common/Cp1251.h"

namespace sb::trace {

// A detail line's text follows this mark: the byte dumps below are detail lines.
inline constexpr char kDetail[] = ":  ";

// The bytes sent to point n: "Send(n): " and the bytes in hex, " XX" each.
inline constexpr char kSentOpen[] = "Send(";
inline constexpr char kSentClose[] = "): ";

// The bytes the port service handed to the reception handler for point n: "Прием(n,OK): " and the bytes in hex;
// ",Bad): " for a lone NAK.
inline std::string_view ReceivedOpen() {
    static const std::string mark = ToCp1251("Прием(");
    return mark;
}
inline constexpr char kReceivedGood[] = ",OK): ";
inline constexpr char kReceivedBad[] = ",Bad): ";

// The dispenser's refusal of a request, "Отказ(n)": the reception handler writes it before the dump of the answer
// that carries it, so in the log it stands between the send and the reception of one exchange.
inline std::string_view RefusalOpen() {
    static const std::string mark = ToCp1251("Отказ(");
    return mark;
}

// A line (its Windows-1251 text after the time) that the driver writes within an exchange, between the dump of its
// send and the dump of its reception: a reader pairs that send and reception all the same.
inline bool WrittenWithinExchange(std::string_view text) {
    return text.substr(0, RefusalOpen().size()) == RefusalOpen();
}

// A failure a slot returned to the host: "FAILURE(n): slot k: text", n 0 for a slot without a point.
inline constexpr char kFailureOpen[] = "FAILURE(";
inline constexpr char kFailureSlot[] = "): slot ";
inline constexpr char kFailureText[] = ": ";

}  // namespace sb::trace
