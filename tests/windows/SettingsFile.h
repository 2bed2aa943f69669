// cnf.INI in the Windows directory: written before the driver is created, so that the driver's settings come from
// the file other Windows programs see, and put back as it was when the test host ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wintest {

class SettingsFile {
public:
    // Baud 9600 in section SB (and 1200 in another section, which must not count), T10 on line 8.
    static constexpr uint32_t kBaud = 9600;

    SettingsFile();
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    bool Written() const { return written_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::optional<std::string> previous_;
    bool written_ = false;
};

}  // namespace wintest
