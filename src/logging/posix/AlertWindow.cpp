// The alert of a POSIX host: the window it lent (SbSetHostUi), or the line on standard error.
#include "logging/AlertWindow.h"

#include <cstdio>

#include "common/Cp1251.h"
#include "platform/posix/HostUi.h"

namespace sb {

struct AlertWindow::Impl {};

AlertWindow::AlertWindow() = default;
AlertWindow::~AlertWindow() = default;

void AlertWindow::ShowModal(const std::string& line) {
    const std::optional<SbHostUi> ui = platform::LentHostUi();
    if (ui && ui->showAlert != nullptr) {
        ui->showAlert(ui->context, line.c_str());
    } else {
        std::fprintf(stderr, "sbdriver: %s\n", ToUtf8(line).c_str());
    }
}

}  // namespace sb
