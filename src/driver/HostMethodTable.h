// The 25-slot method table the host calls on the driver object.
#pragma once

#include "sbdriver/sbdriver.h"

namespace sb {

const SbDriverVtbl& HostMethodTable();

}  // namespace sb
