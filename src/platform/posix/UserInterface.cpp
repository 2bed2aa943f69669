#include "platform/UserInterface.h"

#include <cstdio>

#include "common/Cp1251.h"
#include "platform/posix/HostUi.h"

namespace sb::platform {

// A POSIX host's windows are its own: the owner is only handed on through its callbacks' context.
void AttachUiThread(SbWindow) {}

void RunInUiThread(void (*routine)(void*), void* argument) {
    const std::optional<SbHostUi> ui = LentHostUi();
    if (ui && ui->runInUiThread != nullptr) {
        ui->runInUiThread(ui->context, routine, argument);
    } else {
        routine(argument);
    }
}

struct AlertWindow::Impl {};

AlertWindow::AlertWindow() = default;
AlertWindow::~AlertWindow() = default;

void AlertWindow::ShowModal(const std::string& line) {
    const std::optional<SbHostUi> ui = LentHostUi();
    if (ui && ui->showAlert != nullptr) {
        ui->showAlert(ui->context, line.c_str());
    } else {
        std::fprintf(stderr, "sbdriver: %s\n", ToUtf8(line).c_str());
    }
}

}  // namespace sb::platform
