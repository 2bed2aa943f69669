#include "driver/DriverFactory.h"

#include "driver/HostMethodTable.h"
#include "driver/TVM30.h"

namespace sb {

SbDriver* NewDriver(SbPortService* port, const std::string& settingsPath) {
    return new TVM30(HostMethodTable(), port, settingsPath);
}

}  // namespace sb
