#include "host/DriverLibrary.h"

#include <dlfcn.h>

namespace sbhost {

std::string DriverLibrary::DefaultPath() { return SB_DEFAULT_LIBRARY; }

DriverLibrary::DriverLibrary(const std::string& path) : path_(path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        error_ = dlerror();
        return;
    }
    void* const entry = dlsym(handle_, "GetVM30");
    getVM30_ = reinterpret_cast<GetVM30Fn>(entry);
    if (getVM30_ == nullptr) {
        error_ = "the library exports no GetVM30";
        return;
    }
    // A name without a folder was found by the search order: the file it came from.
    Dl_info found{};
    if (dladdr(entry, &found) != 0 && found.dli_fname != nullptr) path_ = found.dli_fname;
}

// The driver has no teardown and its object lives for the process: the library stays loaded.
DriverLibrary::~DriverLibrary() = default;

}  // namespace sbhost
