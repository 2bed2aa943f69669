#include "soak/SoakPlan.h"

namespace soak {

const char* const kStageNames[kStages + 1] = {"none", "before START", "after START", "mid-delivery",
                                              "after the finish"};

const char* const kEventNames[kEvents] = {"fill-up",
                                          "volume preset",
                                          "amount preset",
                                          "walk-away",
                                          "lift before START",
                                          "early hang-up",
                                          "waited for the finish",
                                          "price changed",
                                          "authorisation taken back",
                                          "restart before START",
                                          "restart after START",
                                          "restart mid-delivery",
                                          "restart after the finish",
                                          "power cycle before START",
                                          "power cycle after START",
                                          "power cycle mid-delivery",
                                          "power cycle after the finish",
                                          "display reset",
                                          "amount wider than the field"};

}  // namespace soak
