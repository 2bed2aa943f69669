#include "driver/DriverFactory.h"

#include "driver/TVM30.h"

namespace sb {

SbDriver* NewDriver(SbPortService* port, const std::string& settingsPath) {
    return new TVM30(port, settingsPath);
}

}  // namespace sb
