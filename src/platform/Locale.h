// Number formatting conventions of the system the driver runs on.
#pragma once

namespace sb::platform {

// The decimal separator the system's users expect in numbers ('.' or ',').
char DecimalSeparator();

}  // namespace sb::platform
