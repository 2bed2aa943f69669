// The figures in a dispenser's replies, read from bytes alone: each decoder takes the reply's bytes and their
// number and gives its figures, or nothing when the reply is unusable (another length, or a figure that is not
// all digits). Layouts in operations/CommandCatalogue.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sb {

// Amount digits in money units: divided by the amount scale (SDec); 0 for a scale of 0.
double AmountInMoneyUnits(double digits, int32_t amountScale);

struct StatusReport {
    uint8_t statusChar;
    uint8_t digit;    // the digit character less "0", modulo 256 as it comes
    bool resetAsked;  // characters 0 and 1 are equal: the dispenser wants a MASTER RESET
};

// An 18-character status report.
std::optional<StatusReport> DecodeStatusReport(const uint8_t* bytes, size_t length);

struct DeliveryFigures {
    double volume;  // litres
    double amount;  // money units
};

// A 36-character GET DATA TRANSACTION reply.
std::optional<DeliveryFigures> DecodeDeliveryReply(const uint8_t* bytes, size_t length, int32_t amountScale);

struct CounterTotals {
    double volume;  // litres
    double amount;  // money units
};

// The totals of one grade's record (1..8) in a 182-character GET COUNTER reply; nothing for another record number.
std::optional<CounterTotals> DecodeCounterRecord(const uint8_t* bytes, size_t length, int32_t grade,
                                                 int32_t amountScale);

// The volume in litres a T10 link unit answers: STX, "2", hundredths low byte, high byte. Bytes after the fourth
// are not read.
std::optional<double> DecodeLinkUnitReply(const uint8_t* bytes, size_t length);

}  // namespace sb
