// The host's user-interface thread and the windows the driver shows in it: the critical-error alert.
#pragma once

#include <memory>
#include <string>

#include "sbdriver/sbdriver.h"

namespace sb::platform {

// Called by the entry point on the host's thread: that thread becomes the one routines are run in, and owner
// the owner of the driver's windows. Later calls keep the first thread and owner.
void AttachUiThread(SbWindow owner);

// Runs routine(argument) in the host's user-interface thread and returns after it has returned.
void RunInUiThread(void (*routine)(void*), void* argument);

// The alert window for critical log lines. Made, shown and destroyed in the user-interface thread.
class AlertWindow {
public:
    AlertWindow();
    ~AlertWindow();
    AlertWindow(const AlertWindow&) = delete;
    AlertWindow& operator=(const AlertWindow&) = delete;

    // Shows the Windows-1251 line with the information sound and returns when the operator has closed it.
    void ShowModal(const std::string& line);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sb::platform
