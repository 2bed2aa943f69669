#include <windows.h>

#include "platform/Locale.h"

namespace sb::platform {

char DecimalSeparator() {
    char separator[4] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 0 && separator[0] != 0) {
        return separator[0];
    }
    return '.';
}

}  // namespace sb::platform
