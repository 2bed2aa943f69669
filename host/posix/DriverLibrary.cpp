#include "host/DriverLibrary.h"

#include <dlfcn.h>

namespace sbhost {

std::string DriverLibrary::DefaultPath() { return SB_DEFAULT_LIBRARY; }

DriverLibrary::DriverLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        error_ = dlerror();
        return;
    }
    getVM30_ = reinterpret_cast<GetVM30Fn>(dlsym(handle_, "GetVM30"));
    if (getVM30_ == nullptr) error_ = "the library exports no GetVM30";
}

// The driver has no teardown and its object lives for the process: the library stays loaded.
DriverLibrary::~DriverLibrary() = default;

}  // namespace sbhost
