// The text of the calling thread's last Windows error, for messages people read.
#pragma once

#include <string>

namespace sbline {

// "what: the system's message (error N)", from GetLastError().
std::string WindowsError(const std::string& what);

}  // namespace sbline
