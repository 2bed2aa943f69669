// INI-file access in the manner of the system's profile functions: one key of one section at a time. Other
// sections and keys of the file are left as they are.
#pragma once

#include <optional>
#include <string>

namespace sb::platform {

// The value of section/key, or nothing when the file, the section or the key is missing.
std::optional<std::string> ReadProfileString(const std::string& path, const std::string& section,
                                             const std::string& key);

// Sets section/key to value, adding the section or key when missing and creating the file when needed.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

}  // namespace sb::platform
