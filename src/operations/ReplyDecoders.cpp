#include "operations/ReplyDecoders.h"

#include "link/LineBytes.h"
#include "operations/CommandCatalogue.h"
#include "operations/WireNumbers.h"

namespace sb {
namespace {

static_assert(kStatusReport.statusAt < kStatusReport.length && kStatusReport.digitAt < kStatusReport.length);
static_assert(kDeliveryReply.volume.at + kDeliveryReply.volume.width <= kDeliveryReply.length &&
              kDeliveryReply.amount.at + kDeliveryReply.amount.width <= kDeliveryReply.length);
static_assert(kCounterReply.amount.at + kCounterReply.stride * (kCounterReply.records - 1) +
                      kCounterReply.amount.width <=
                  kCounterReply.length &&
              kCounterReply.volume.at < kCounterReply.amount.at);
static_assert(kLinkUnitReply.lowAt < kLinkUnitReply.length && kLinkUnitReply.highAt < kLinkUnitReply.length);

// The field's digits; the caller has checked that the field lies inside the reply.
std::optional<double> Digits(const uint8_t* bytes, WireField field, unsigned offset = 0) {
    return ReadWireNumber(bytes + field.at + offset, field.width);
}

}  // namespace

double AmountInMoneyUnits(double digits, int32_t amountScale) { return amountScale != 0 ? digits / amountScale : 0; }

std::optional<StatusReport> DecodeStatusReport(const uint8_t* bytes, size_t length) {
    if (length != kStatusReport.length) return std::nullopt;
    return StatusReport{bytes[kStatusReport.statusAt], static_cast<uint8_t>(bytes[kStatusReport.digitAt] - '0'),
                        bytes[0] == bytes[1]};
}

std::optional<DeliveryFigures> DecodeDeliveryReply(const uint8_t* bytes, size_t length, int32_t amountScale) {
    if (length != kDeliveryReply.length) return std::nullopt;
    const std::optional<double> volume = Digits(bytes, kDeliveryReply.volume);
    const std::optional<double> amount = Digits(bytes, kDeliveryReply.amount);
    if (!volume || !amount) return std::nullopt;
    return DeliveryFigures{*volume / 100, AmountInMoneyUnits(*amount, amountScale)};
}

std::optional<CounterTotals> DecodeCounterRecord(const uint8_t* bytes, size_t length, int32_t grade,
                                                 int32_t amountScale) {
    if (length != kCounterReply.length || grade < 1 || grade > kCounterReply.records) return std::nullopt;
    const unsigned offset = kCounterReply.stride * static_cast<unsigned>(grade - 1);
    const std::optional<double> volume = Digits(bytes, kCounterReply.volume, offset);
    const std::optional<double> amount = Digits(bytes, kCounterReply.amount, offset);
    if (!volume || !amount) return std::nullopt;
    return CounterTotals{*volume / 100, AmountInMoneyUnits(*amount, amountScale)};
}

std::optional<double> DecodeLinkUnitReply(const uint8_t* bytes, size_t length) {
    if (length < kLinkUnitReply.length || bytes[0] != line::STX || bytes[1] != kLinkUnitReply.marker) {
        return std::nullopt;
    }
    return (bytes[kLinkUnitReply.lowAt] | (bytes[kLinkUnitReply.highAt] << 8)) / 100.0;
}

}  // namespace sb
