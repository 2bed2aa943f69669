#include "host/program/DriverLibrary.h"

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
    getLinkStatistics_ = reinterpret_cast<GetLinkStatisticsFn>(dlsym(handle_, "SbGetLinkStatistics"));
    if (entry == nullptr || getLinkStatistics_ == nullptr) {
        error_ = std::string("the library exports no ") + (entry == nullptr ? "GetVM30" : "SbGetLinkStatistics");
        return;
    }
    getVM30_ = reinterpret_cast<GetVM30Fn>(entry);
    // A name without a folder was found by the search order: the file it came from.
    Dl_info found{};
    if (dladdr(entry, &found) != 0 && found.dli_fname != nullptr) path_ = found.dli_fname;
}

// The driver has no teardown and its object lives for the process: the library stays loaded.
DriverLibrary::~DriverLibrary() = default;

}  // namespace sbhost
