// The operator's settings dialog, shown modally in the host's user-interface thread.
#pragma once

#include <array>

namespace sb::platform {

// What the dialog shows and, after OK, what the operator chose.
struct SettingsChoice {
    static constexpr int kNone = -1;
    int amountScale = kNone;  // selected button S0..S3 (0..3): 0, 1, 2 or 3 decimals; kNone: none selected
    int priceScale = kNone;   // selected button C0..C3 (0..3)
    int speed = 0;            // selected list item: 0 "2400", 1 "9600"
    std::array<bool, 9> t10{};  // check boxes T10Com1..T10Com8 at 1..8
};

// Shows the dialog with choice preset; true when the operator closed it with OK, choice then holding the new
// selection. False for Cancel, Esc, the close box, or a platform that has no dialog to show.
bool ShowSettingsDialog(SettingsChoice& choice);

}  // namespace sb::platform
