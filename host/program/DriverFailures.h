// Failures the driver raises towards its host, caught where the host calls into it and told as text.
// On POSIX they are the C++ exception sb::ESerialIO; on Windows structured exceptions (SB_EXCEPTION_SERIAL_IO
// with the Windows-1251 text in ExceptionInformation[0]), because no C++ exception crosses a DLL's boundary
// there (posix/DriverFailures, win32/DriverFailures).
#pragma once

#include <functional>
#include <string>

namespace sbhost {

// Runs body and stores what it returns in *exitCode. When the driver, or the host itself, failed inside
// body, false and the failure's text (UTF-8) in *failure.
bool RunCatchingDriverFailures(const std::function<int()>& body, int* exitCode, std::string* failure);

}  // namespace sbhost
