// The operator's settings dialog: what it shows, what OK makes of the operator's choice, and the window itself,
// shown modally in the host's user-interface thread (its halves in posix/ and win32/).
#pragma once

#include <array>

#include "settings/DriverSettings.h"

namespace sb {

// What the dialog shows and, after OK, what the operator chose.
struct SettingsChoice {
    static constexpr int kNone = -1;
    int amountScale = kNone;    // selected button S0..S3 (0..3): 0, 1, 2 or 3 decimals; kNone: none selected
    int priceScale = kNone;     // selected button C0..C3 (0..3)
    int speed = 0;              // selected list item: 0 "2400", 1 "9600"
    std::array<bool, 9> t10{};  // check boxes T10Com1..T10Com8 at 1..8
};

SettingsChoice PresetChoice(const DriverSettings& settings);

// A scale group left without a selection keeps its value; the speed becomes 2400 or 9600.
void ApplyChoice(const SettingsChoice& choice, DriverSettings& settings);

// Shows the dialog with choice preset; true when the operator closed it with OK, choice then holding the new
// selection. False for Cancel, Esc, the close box, or a host that lent no dialog to show (POSIX).
bool ShowSettingsDialog(SettingsChoice& choice);

// True when the operator pressed OK; only then are the settings changed.
bool RunSettingsDialog(DriverSettings& settings);

}  // namespace sb
