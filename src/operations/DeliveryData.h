// Volume and amount of a delivery: read from the dispenser, checked for plausibility and kept per point.
#pragma once

#include <cstdint>

#include "operations/Station.h"

namespace sb {

// Steps on the kept volume that are the bookkeeping's own, below the line's hundredth of a litre, so that
// the guards against needless requests run out by themselves:
constexpr double kMemoryAnswerStep = 0.002;    // each answer from memory lowers it: the fourth call asks again
constexpr double kFinalReadStep = 0.001;       // each final read (slot 6) raises it first: a longer run from memory
constexpr double kFinishedStatusStep = 0.003;  // a finished status lowers it before its read

// The kept volume: set to the dispenser's figure, moved by one of the steps above, read without the steps.
void KeepVolume(FillingPoint& fillingPoint, double volume);
void StepVolume(FillingPoint& fillingPoint, double step);
double ShownVolume(const FillingPoint& fillingPoint);

// The delivery shows that it began (it reported delivering, or its figures moved): the display no longer shows
// the previous sale, and what it will show is unknown until figures are read as final.
void MarkSaleBegan(FillingPoint& fillingPoint);

// True while figures may still be the previous sale's: the delivery of the latest START has not shown that it
// began, and volume equals the previous sale's final volume.
bool IsPreviousSale(const FillingPoint& fillingPoint, double volume);

// What one read of the delivery figures gave.
struct DeliveryReading {
    double volume = 0;
    double amount = 0;
    bool usable = false;        // figures came, from the dispenser or from memory
    bool fromMemory = false;    // the kept figures, answered without asking: they tell nothing new of the display
    bool previousSale = false;  // the figures are still the previous sale's: read, but not kept
};

// GET DATA TRANSACTION, or the kept figures when they have reached the expected end of the delivery
// (skipCheck false). markFault sets the line state FinalDataUnread when no usable reply came.
DeliveryReading ReadDeliveryData(Station& station, uint8_t point, bool markFault, bool skipCheck);

// Closes the delivery's bookkeeping on its final volume: the previous sale for the next START's lock, known to be
// what the display shows when it was read from the dispenser just now.
void CloseDelivery(FillingPoint& fillingPoint, double finalVolume, const DeliveryReading& reading);

// The volume counter of a T10 link unit, by one unframed exchange.
double ReadLinkUnitCounter(Station& station, uint8_t point, double* amount);

// Host slot 9: the figures of the current delivery, refusing those of the previous sale right after a START.
double CurrentDeliveryData(Station& station, uint8_t point, double* amount);

// Host slot 6: the final figures of the delivery, closing its bookkeeping.
void FinalDeliveryData(Station& station, uint8_t point, double* volume, double* amount);

}  // namespace sb
