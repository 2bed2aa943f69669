#include "HostSetup.h"

#include "common/Cp1251.h"

namespace wintest {

std::string LogFilePath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string log(path, length < sizeof path ? length : 0);
    const size_t name = log.find_last_of("\\/");
    const size_t dot = log.find_last_of('.');
    if (dot != std::string::npos && (name == std::string::npos || dot > name)) log.erase(dot);
    return log + ".pro";
}

int HostSetup::PortCalls(int slot, uint32_t point) const {
    int count = 0;
    for (const sbsim::SlotCall& call : lines->calls()) count += call.slot == slot && call.point == point;
    return count;
}

sbsim::SlotCall HostSetup::LastPortCall(int slot, uint32_t point) const {
    sbsim::SlotCall last;
    for (const sbsim::SlotCall& call : lines->calls()) {
        if (call.slot == slot && call.point == point) last = call;
    }
    return last;
}

std::string Cp1251(const char* utf8) { return sb::ToCp1251(utf8); }

}  // namespace wintest
