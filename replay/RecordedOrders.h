// What the host asked for in a recorded call, read back from the messages the call sent and the results the log
// tells: START's grade, price, preset and mode; the switch of a FILLING POINT CONTROL; the grade a counter call
// was for. The host's own calls that send nothing (prices, presets) leave no line: START carries them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sbreplay {

struct StartOrder {
    int32_t grade = 1;
    double price = 0;      // money units a litre
    bool byVolume = true;  // the preset is a volume (kind 1), else an amount (kind 2)
    double preset = 0;     // litres, or money units
    uint32_t mode = 1;     // the start mode slot 19 was given: "0" in the message for any but 0
};

// START's order from its message text: header, "0001ZD", point code, "0" and the grade, "J", the price digits
// and the preset digits, "K", the preset's kind, the mode character, "000". Prices are digits / priceScale,
// volumes digits / 100, amounts digits / amountScale, as the driver made the digits. Both numbers are written
// with at least 4 and 6 digits and never cut, so a longer run of digits is split where the price has 4 unless
// a number would then begin with a padding "0" it cannot have. Nothing when the text is no START.
std::optional<StartOrder> ReadStartOrder(const std::string& text, int32_t priceScale, int32_t amountScale);

// FILLING POINT CONTROL's switch from its message text: 1 on, 0 off; nothing when the text is not one.
std::optional<uint32_t> ReadControlSwitch(const std::string& text);

// Totals of grades 1..6 as a counter call hands them out (index 0 unused): the reply's grades 1 to 4, which the
// driver keeps, and 0 for 5 and 6.
using CounterTotals = std::array<double, 7>;

// The grade a counter call was made for, from the volume its log line told: a grade whose total is that volume.
// Read from the dispenser (RET COUNTER) grade 1 comes first, since it always reads; answered from memory (RET
// FAST COUNTER) only grades 2 to 6 can be. Any grade of the same total makes the same call. None matching:
// grade 1 or 2.
int32_t CounterGrade(const CounterTotals& totals, double volume, bool fromMemory);

}  // namespace sbreplay
