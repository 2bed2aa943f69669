// The log beside the test host's executable: Windows-1251 text lines with their time stamps, rotated by size.
#pragma once

#include "HostSetup.h"

namespace wintest {

// Reads the log this run wrote (the file was removed before the driver started).
void CheckLogFile();

// Rotates the log past its last copy, where a rename does not replace a file; removes the copies afterwards.
void CheckLogRotation(HostSetup& host);

}  // namespace wintest
