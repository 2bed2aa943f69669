// The alert window that shows critical log lines to the operator: made, shown and destroyed in the host's
// user-interface thread (platform/UserInterface.h). Its halves are in posix/ and win32/.
#pragma once

#include <memory>
#include <string>

namespace sb {

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

}  // namespace sb
