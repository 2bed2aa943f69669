#include "driver/DriverFactory.h"

#include "driver/TVM30.h"

namespace sb {

SbDriver* NewDriver(SbWindow owner, SbPortService* port, const std::string& settingsPath) {
    return new TVM30(owner, port, settingsPath);
}

}  // namespace sb
