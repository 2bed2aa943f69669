#include "logging/AlertThread.h"

#include <optional>
#include <string>

#include "logging/AlertWindow.h"
#include "logging/Log.h"
#include "platform/Boundary.h"
#include "platform/Thread.h"
#include "platform/UserInterface.h"

namespace sb {
namespace {

void ShowAlertsRoutine(void*) { ShowAlerts(); }

void TEMThread(void*) {
    Logger& log = ProcessLog();
    // Runs for the life of the process, idle in the wait; every signal makes one pass over the queue.
    for (;;) {
        log.AlertEvent().Wait(platform::AutoResetEvent::kInfinite);
        try {
            platform::RunInUiThread(&ShowAlertsRoutine, nullptr);
        } catch (...) {
            platform::PassThreadEnd();
            // An alert that cannot be shown (no memory for its window) must not end the host's process; the
            // lines still waiting are shown at the next signal.
        }
    }
}

std::optional<std::string> TakeWaitingLine(Logger& log) {
    platform::LockGuard hold(log.LogLock());
    return log.Alerts().TakeFirst();
}

}  // namespace

void StartAlertThread() { platform::StartDetachedThread(&TEMThread, nullptr); }

void ShowAlerts() {
    Logger& log = ProcessLog();
    std::optional<std::string> line = TakeWaitingLine(log);
    if (!line) return;
    AlertWindow window;
    for (; line; line = TakeWaitingLine(log)) window.ShowModal(*line);
}

}  // namespace sb
