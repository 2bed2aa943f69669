// Puts a point's sale where a test starts from, through the events that lead there in the driver.
#pragma once

#include <cstdint>
#include <optional>

#include "state/PositionTable.h"

namespace sbtest {

// Figures the dispenser gave, kept as the sale's.
inline void KeepFigures(sb::FillingPoint& point, double volume, double amount = 0) {
    sb::SaleFacts figures;
    figures.volume = volume;
    figures.amount = amount;
    point.Sale.Apply(sb::SaleEvent::FiguresRead, figures);
}

// A final read that closed a sale of `reference` litres, read from the display.
inline void CloseSale(sb::FillingPoint& point, double reference) {
    sb::SaleFacts read;
    read.volume = reference;
    read.usable = true;
    point.Sale.Apply(sb::SaleEvent::FinalRead, read);
}

// A START the dispenser took: grade 1 at `price`, its preset ending at `expectedFinal` hundredths of a litre (none:
// a fill-up).
inline void TakeStart(sb::FillingPoint& point, std::optional<int64_t> expectedFinal, int32_t price = 4590) {
    sb::SaleFacts start;
    start.grade = 1;
    start.price = price;
    start.expectedFinal = expectedFinal;
    start.state = point.PointState;
    point.Sale.Apply(sb::SaleEvent::StartDelivered, start);
}

}  // namespace sbtest
