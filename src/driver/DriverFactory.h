// Builds driver objects: the entry points make the process's one object with it, tests and tools their own.
#pragma once

#include <string>

#include "sbdriver/sbdriver.h"

namespace sb {

// A new driver object with its defaults and the settings of the file at settingsPath. The object lives until
// the process ends; the host calls no release.
SbDriver* NewDriver(SbPortService* port, const std::string& settingsPath);

}  // namespace sb
