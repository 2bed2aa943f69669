// Slot 24: the settings entry under the host's dispenser menu "&ТРК", added on the first call in a process only.
#pragma once

#include "HostSetup.h"
#include "TestMenu.h"

namespace wintest {

// The first call of slot 24 in the process, with a dispenser menu among menus: the entry it adds, or nullptr.
// A second call adds nothing.
TestMenuItem* CheckMenuEntryAdded(HostSetup& host, TestMenuItem& menus);

// The first call of slot 24 in the process, with no menu captioned exactly "&ТРК": nothing is added, and a later
// call with the dispenser menu in place adds nothing either.
void CheckNoEntryWithoutDispenserMenu(HostSetup& host);

}  // namespace wintest
