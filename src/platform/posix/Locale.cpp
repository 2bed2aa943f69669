#include "platform/Locale.h"

namespace sb::platform {

// POSIX hosts read the log as plain C-locale text.
char DecimalSeparator() { return '.'; }

}  // namespace sb::platform
