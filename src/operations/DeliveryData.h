// Volume and amount of a delivery: read from the dispenser, checked for plausibility and told to the point's sale.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// What one read of the delivery figures gave.
struct DeliveryReading {
    double volume = 0;
    double amount = 0;
    bool usable = false;        // figures came, from the dispenser or from memory, and the amount fits the volume
    bool fromMemory = false;    // the kept figures, answered without asking: they tell nothing new of the display
    bool previousSale = false;  // the figures are still the previous sale's: read, but not kept
    bool doubtful = false;      // figures came, but volume × price tells neither the amount nor a wrapped one
};

// GET DATA TRANSACTION, or the kept figures when they are known to be final (skipCheck false). markFault sets the
// line state FinalDataUnread when no figures came.
DeliveryReading ReadDeliveryData(Station& station, uint8_t point, bool markFault, bool skipCheck);

// The volume counter of a T10 link unit, by one unframed exchange.
double ReadLinkUnitCounter(Station& station, uint8_t point, double* amount);

// Host slot 9: the figures of the current delivery, refusing those of the previous sale right after a START.
double CurrentDeliveryData(Station& station, uint8_t point, double* amount);

// Host slot 6: the final figures of the delivery, closing its bookkeeping.
void FinalDeliveryData(Station& station, uint8_t point, double* volume, double* amount);

}  // namespace sb
