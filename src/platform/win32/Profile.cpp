// INI files through the system's own profile functions, so the file is the one other Windows programs see.
#include <windows.h>
// windows.h maps this name to its own WriteProfileStringA; ours is the portable interface.
#undef WriteProfileString

#include <vector>

#include "platform/Profile.h"

namespace sb::platform {
namespace {
// The value of section/key, or the default when the file, the section or the key is missing.
std::string ReadWithDefault(const std::string& path, const std::string& section, const std::string& key,
                            const char* fallback) {
    // A value that filled the buffer may have been cut: read again with twice the room. INI lines are short;
    // past 64 KiB the value is taken as it stands.
    for (DWORD size = 256;; size *= 2) {
        std::vector<char> buffer(size);
        DWORD length =
            GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback, buffer.data(), size, path.c_str());
        if (length + 1 < size || size >= 65536) return std::string(buffer.data(), length);
    }
}
}  // namespace

std::optional<std::string> ReadProfileString(const std::string& path, const std::string& section,
                                             const std::string& key) {
    std::string value = ReadWithDefault(path, section, key, "");
    if (!value.empty()) return value;
    // Empty: either the key holds nothing or it is missing. A default no INI value can hold tells them apart.
    static const char kMissing[] = "\x01";
    if (ReadWithDefault(path, section, key, kMissing) == kMissing) return std::nullopt;
    return value;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace sb::platform
