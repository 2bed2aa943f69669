#include "host/program/DriverLibrary.h"

#include <windows.h>

#include "line/win32/WindowsError.h"

namespace sbhost {

std::string DriverLibrary::DefaultPath() {
    static const char kLibrary[] = "sbdriver.dll";
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return kLibrary;  // the search order finds it beside us first
    const std::string path(program, length);
    const std::size_t folderEnd = path.find_last_of("\\/");
    return folderEnd == std::string::npos ? kLibrary : path.substr(0, folderEnd + 1) + kLibrary;
}

DriverLibrary::DriverLibrary(const std::string& path) : path_(path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error_ = sbline::WindowsError("LoadLibrary");
        return;
    }
    handle_ = module;
    // Through the one function pointer type that converts to every other without a warning.
    const auto entry = reinterpret_cast<void (*)()>(GetProcAddress(module, "GetVM30"));
    const auto statistics = reinterpret_cast<void (*)()>(GetProcAddress(module, "SbGetLinkStatistics"));
    if (entry == nullptr || statistics == nullptr) {
        error_ = std::string("the library exports no ") + (entry == nullptr ? "GetVM30" : "SbGetLinkStatistics");
        return;
    }
    getVM30_ = reinterpret_cast<GetVM30Fn>(entry);
    getLinkStatistics_ = reinterpret_cast<GetLinkStatisticsFn>(statistics);
}

// The driver has no teardown and its object lives for the process: the library stays loaded.
DriverLibrary::~DriverLibrary() = default;

}  // namespace sbhost
