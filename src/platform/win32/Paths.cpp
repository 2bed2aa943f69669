#include <windows.h>

#include <vector>

#include "platform/Paths.h"

namespace sb::platform {

std::string ExecutablePath() {
    // Grows the buffer while the name was cut; Windows paths end at 32767 characters, so the loop ends.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> buffer(size);
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return std::string(buffer.data(), length);
    }
    return {};
}

std::string SettingsFilePath() {
    char buffer[255];
    UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    std::string directory;
    if (length < sizeof buffer) {
        directory.assign(buffer, length);
    } else {
        // The answer is the size needed, terminator included.
        std::vector<char> larger(length);
        directory.assign(larger.data(), GetWindowsDirectoryA(larger.data(), length));
    }
    return directory + "\\cnf.INI";
}

bool FileSize(const std::string& path, unsigned long long* size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    *size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

}  // namespace sb::platform
