// Volume and amount of a delivery: read from the dispenser, checked for plausibility and kept per point.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// True while figures may still be the previous sale's: the delivery of the latest START has not shown that it
// began, and volume equals the previous sale's final volume.
bool IsPreviousSale(const FillingPoint& fillingPoint, double volume);

// GET DATA TRANSACTION, or the kept figures when they have reached the expected end of the delivery
// (skipCheck false). markFault sets the line state FinalDataUnread when no usable reply came.
double ReadDeliveryData(Station& station, uint8_t point, double* amount, bool markFault, bool skipCheck);

// The volume counter of a T10 link unit, by one unframed exchange.
double ReadLinkUnitCounter(Station& station, uint8_t point, double* amount);

// Host slot 9: the figures of the current delivery, refusing those of the previous sale right after a START.
double CurrentDeliveryData(Station& station, uint8_t point, double* amount);

// Host slot 6: the final figures of the delivery, closing its bookkeeping.
void FinalDeliveryData(Station& station, uint8_t point, double* volume, double* amount);

}  // namespace sb
