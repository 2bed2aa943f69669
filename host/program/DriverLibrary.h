// The driver library loaded at run time, as a host loads it, with its entry point GetVM30 and its link statistics.
// Each operating system loads it its own way (posix/DriverLibrary, win32/DriverLibrary).
#pragma once

#include <string>

#include "sbdriver/sbdriver.h"

namespace sbhost {

class DriverLibrary {
public:
    using GetVM30Fn = SbDriver*(SB_CALL*)(uint32_t, SbWindow, SbPortService*);
    using GetLinkStatisticsFn = decltype(&SbGetLinkStatistics);

    // The library loaded when none is named: on POSIX libsbdriver.so.2 by its SONAME (in a build tree the one
    // built beside this program, once installed the system's), on Windows sbdriver.dll in this program's folder.
    static std::string DefaultPath();

    // Loads the library at path; Error() tells why when it could not, or when it lacks one of the two exports.
    explicit DriverLibrary(const std::string& path);
    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    bool Loaded() const { return getVM30_ != nullptr; }
    const std::string& Error() const { return error_; }
    GetVM30Fn GetVM30() const { return getVM30_; }
    GetLinkStatisticsFn GetLinkStatistics() const { return getLinkStatistics_; }
    // The file it was loaded from, as far as the system tells; else the path it was asked for.
    const std::string& Path() const { return path_; }

private:
    void* handle_ = nullptr;
    GetVM30Fn getVM30_ = nullptr;
    GetLinkStatisticsFn getLinkStatistics_ = nullptr;
    std::string error_;
    std::string path_;
};

}  // namespace sbhost
