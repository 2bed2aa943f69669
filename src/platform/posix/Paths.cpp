#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/Paths.h"

namespace sb::platform {

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string SettingsFilePath() {
    const char* dir = std::getenv("SBDRIVER_CONFIG_DIR");
    if (dir != nullptr && *dir != '\0') return std::string(dir) + "/cnf.INI";
    return "/etc/cnf.INI";
}

bool FileSize(const std::string& path, unsigned long long* size) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    *size = static_cast<unsigned long long>(info.st_size);
    return true;
}

}  // namespace sb::platform
