#include "platform/UserInterface.h"

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

}  // namespace sb::platform
