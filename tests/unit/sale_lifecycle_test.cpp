// The sale's transitions, one row per event and the state it meets, in the order the host guide tells the
// previous-sale lock ("The previous sale on the display", "A START that does not start").
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "state/SaleLifecycle.h"

namespace {

using sb::DeliveryStage;
using sb::Sale;
using sb::SaleEvent;
using sb::SaleFacts;

// A sale closed on the display's `reference` litres, read from it.
Sale Closed(double reference) {
    Sale sale;
    sale.reference = reference;
    sale.referenceKnown = true;
    return sale;
}

// A START taken after such a sale: grade 2 at 1.46, its preset ending at 5.00 l (none: a fill-up).
Sale Started(double reference, std::optional<int64_t> expectedFinal = 500) {
    Sale sale = Closed(reference);
    sale.stage = DeliveryStage::Awaiting;
    sale.start = sb::StartStage::Authorised;
    sale.grade = sale.startGrade = 2;
    sale.startPrice = 146;
    sale.expectedFinal = expectedFinal;
    sale.startHold = 6;
    sale.startLatest = true;
    return sale;
}

Sale With(Sale sale, const std::function<void(Sale&)>& change) {
    change(sale);
    return sale;
}

SaleFacts Figures(double volume, bool usable = true) {
    SaleFacts facts;
    facts.volume = volume;
    facts.amount = volume * 1.46;
    facts.usable = usable;
    return facts;
}

struct Row {
    std::string what;
    Sale given;
    SaleEvent event;
    SaleFacts facts;
    std::function<void(const Sale&)> expect;
};

TEST(SaleLifecycle, EachEventMovesTheSaleAsTheGuideTellsIt) {
    SaleFacts start;
    start.grade = 6;
    start.price = 146;
    start.state = 0xEE;  // an earlier START's, still shown
    SaleFacts delivering;
    delivering.began = true;
    delivering.grade = 3;
    delivering.startHold = 0;
    EXPECT_FALSE(Sale{}.referenceKnown) << "a driver that starts knows nothing of the display";
    const std::vector<Row> rows = {
        {"START taken: the display shows the reference until a delivery begins", Closed(5), SaleEvent::StartDelivered,
         start,
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Awaiting);
             EXPECT_TRUE(s.referenceKnown);
             EXPECT_EQ(s.startHold, 6);
             EXPECT_TRUE(s.startLatest);
             EXPECT_EQ(s.stateBeforeStart, 0xEE);
             EXPECT_EQ(sb::RefusedStartState(s), 0xC0) << "a refusal never restores an earlier START's state";
         }},
        {"START after a final read that read nothing: the reference is unknown",
         With(Closed(5), [](Sale& s) { s.displayUnread = true; }), SaleEvent::StartDelivered, start,
         [](const Sale& s) {
             EXPECT_FALSE(s.referenceKnown);
             EXPECT_FALSE(s.displayUnread);
         }},
        {"Can't Start after a closed sale: its figures stay locked",
         Closed(5),
         SaleEvent::StartFailed,
         {},
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Awaiting);
             EXPECT_TRUE(sb::IsPreviousSale(s, 5));
             EXPECT_EQ(s.start, sb::StartStage::Failed);
         }},
        {"Can't Start while a delivery runs: the delivery stays readable",
         With(Started(5), [](Sale& s) { s.stage = DeliveryStage::Began; }),
         SaleEvent::StartFailed,
         {},
         [](const Sale& s) { EXPECT_EQ(s.stage, DeliveryStage::Began); }},
        {"a refusal while START is the latest message is its own",
         Started(5),
         SaleEvent::RefusalSeen,
         {},
         [](const Sale& s) { EXPECT_TRUE(s.startRefused); }},
        {"another message sent: START is no longer the latest",
         Started(5),
         SaleEvent::MessageDelivered,
         {},
         [](const Sale& s) {
             EXPECT_FALSE(s.startLatest);
             EXPECT_FALSE(sb::NextSale(s, SaleEvent::RefusalSeen).startRefused);
         }},
        {"the late refusal taken: the started state ends",
         With(Started(5), [](Sale& s) { s.startRefused = true; }),
         SaleEvent::StartRefusalTaken,
         {},
         [](const Sale& s) {
             EXPECT_EQ(s.startHold, 0);
             EXPECT_FALSE(s.startRefused);
             EXPECT_EQ(s.start, sb::StartStage::Failed);
         }},
        {"delivering reported: the display moved on from the reference", Started(5), SaleEvent::StatusReported,
         delivering,
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Began);
             EXPECT_FALSE(s.referenceKnown);
             EXPECT_EQ(s.grade, 2) << "the START's grade stands";
         }},
        {"delivering with no START of this driver's: the dispenser's grade", Sale{}, SaleEvent::StatusReported,
         delivering, [](const Sale& s) { EXPECT_EQ(s.grade, 3); }},
        {"the previous sale's figures after a START: not kept", Started(5), SaleEvent::FiguresRead, Figures(5),
         [](const Sale& s) {
             EXPECT_EQ(s.volume, 0);
             EXPECT_EQ(s.stage, DeliveryStage::Awaiting);
         }},
        {"other figures after a START: this delivery's", Started(5), SaleEvent::FiguresRead, Figures(0.25),
         [](const Sale& s) {
             EXPECT_EQ(s.volume, 0.25);
             EXPECT_EQ(s.stage, DeliveryStage::Began);
             EXPECT_FALSE(s.referenceKnown);
         }},
        {"the previous sale's volume once the delivery began: its own",
         With(Started(5), [](Sale& s) { s.stage = DeliveryStage::Began; }), SaleEvent::FiguresRead, Figures(5),
         [](const Sale& s) { EXPECT_EQ(s.volume, 5); }},
        {"the first figures after a START on an unknown display stand in for the reference",
         With(Started(5), [](Sale& s) { s.referenceKnown = false; }), SaleEvent::FiguresRead, Figures(7),
         [](const Sale& s) {
             EXPECT_EQ(s.reference, 7);
             EXPECT_TRUE(sb::IsPreviousSale(s, 7));
         }},
        {"figures below what was kept of a finished delivery: the display went back",
         With(Started(5),
              [](Sale& s) {
                  s.stage = DeliveryStage::Finished;
                  s.volume = 3;
              }),
         SaleEvent::FiguresRead, Figures(0),
         [](const Sale& s) {
             EXPECT_EQ(s.volume, 3);
             EXPECT_TRUE(s.cut);
         }},
        {"a finished report read: final figures",
         With(Started(5),
              [](Sale& s) {
                  s.stage = DeliveryStage::Began;
                  s.volume = 3;
              }),
         SaleEvent::FinishedTaken, Figures(0),
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Finished);
             EXPECT_EQ(s.reference, 3);
             EXPECT_TRUE(s.referenceKnown);
         }},
        {"a finished report whose read failed: the figures stay unknown",
         With(Started(5, std::nullopt), [](Sale& s) { s.stage = DeliveryStage::Began; }), SaleEvent::FinishedTaken,
         Figures(0, false),
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Began);
             EXPECT_FALSE(sb::MayAnswerFromMemory(s)) << "a fill-up's final read asks the dispenser";
         }},
        {"a good final read closes the sale on what it read",
         With(Started(5), [](Sale& s) { s.stage = DeliveryStage::Began; }), SaleEvent::FinalRead, Figures(3),
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Closed);
             EXPECT_EQ(s.reference, 3);
             EXPECT_TRUE(s.referenceKnown);
             EXPECT_FALSE(s.displayUnread);
         }},
        {"a final read that read nothing before the delivery began closes nothing", Started(5), SaleEvent::FinalRead,
         Figures(0, false),
         [](const Sale& s) {
             EXPECT_EQ(s.stage, DeliveryStage::Awaiting);
             EXPECT_EQ(s.reference, 5);
             EXPECT_TRUE(s.displayUnread);
         }},
        {"the dispenser re-initialised before the nozzle was lifted: no START held",
         Started(5),
         SaleEvent::Reinitialised,
         {},
         [](const Sale& s) {
             EXPECT_EQ(s.start, sb::StartStage::None);
             EXPECT_EQ(s.startHold, 0);
             EXPECT_TRUE(s.cut);
         }},
        {"re-initialised while idle: the display may be cleared",
         Closed(5),
         SaleEvent::Reinitialised,
         {},
         [](const Sale& s) { EXPECT_FALSE(s.referenceKnown); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.expect(sb::NextSale(row.given, row.event, row.facts));
    }
}

TEST(SaleLifecycle, KeptFiguresAnswerOnlyWhereTheyAreKnownFinal) {
    const auto kept = [](Sale sale, double volume) {
        sale.volume = volume;
        sale.stage = DeliveryStage::Began;
        return sale;
    };
    EXPECT_TRUE(sb::MayAnswerFromMemory(kept(Started(0), 5.00)));  // at the START's preset
    EXPECT_FALSE(sb::MayAnswerFromMemory(kept(Started(0), 4.99)));
    EXPECT_FALSE(sb::MayAnswerFromMemory(kept(Started(0, std::nullopt), 5.00)));  // a fill-up
    EXPECT_FALSE(sb::MayAnswerFromMemory(kept(Sale{}, 5.00)));                    // no START of this driver's
    Sale finished = kept(Started(0, std::nullopt), 3.00);
    finished.stage = DeliveryStage::Finished;  // a finished report may be stale: its figures are not known final
    finished.reference = 3.00;
    EXPECT_FALSE(sb::MayAnswerFromMemory(finished));
    Sale atPreset = kept(Started(0), 4.994);  // three answers at the preset: the fourth asks again
    EXPECT_FALSE(sb::MayAnswerFromMemory(atPreset));
}

}  // namespace
