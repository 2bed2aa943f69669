// The user-interface services a POSIX host lent through SbSetHostUi.
#pragma once

#include <optional>

#include "sbdriver/sbdriver.h"

namespace sb::platform {

// A copy of what the host lent, or nothing.
std::optional<SbHostUi> LentHostUi();

}  // namespace sb::platform
