// The log beside the test host's executable: Windows-1251 text lines with their time stamps.
#pragma once

namespace wintest {

// Reads the log this run wrote (the file was removed before the driver started).
void CheckLogFile();

}  // namespace wintest
