// Where the driver's files live on this system.
#pragma once

#include <string>

namespace sb::platform {

// Full path of the running (host) executable, in the system's narrow encoding; empty when unknown.
std::string ExecutablePath();

// Full path of the settings file cnf.INI.
std::string SettingsFilePath();

// Size of a file in bytes; false when it does not exist or cannot be looked up.
bool FileSize(const std::string& path, unsigned long long* size);

}  // namespace sb::platform
