// Critical log lines reach the operator through the alert thread and the host's user-interface thread.
#include <gtest/gtest.h>

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "common/Cp1251.h"
#include "logging/Log.h"
#include "sbdriver/sbdriver.h"
#include "support/LogCapture.h"
#include "support/RecordingClock.h"

namespace {

// How long a wait of these cases lasts at most; one that passes ends as soon as what it waits for came.
constexpr std::chrono::seconds kPatience(60);

// The host's alert window: records each line; the first one stays "on screen" until the test lets it go.
class HostAlerts {
public:
    HostAlerts() {
        SbHostUi ui{};
        ui.size = sizeof ui;
        ui.context = this;
        ui.runInUiThread = &RunInUi;
        ui.showAlert = &Show;
        SbSetHostUi(&ui);
    }
    ~HostAlerts() {
        Release();
        SbSetHostUi(nullptr);
    }

    // Waits until count lines have been shown, as long as a busy machine may take.
    bool WaitFor(size_t count) {
        std::unique_lock<std::mutex> hold(mutex_);
        return changed_.wait_for(hold, kPatience, [&] { return shown_.size() >= count; });
    }
    void Release() {
        std::lock_guard<std::mutex> hold(mutex_);
        holdFirst_ = false;
        changed_.notify_all();
    }
    std::vector<std::string> Shown() {
        std::lock_guard<std::mutex> hold(mutex_);
        return shown_;
    }
    int UiRuns() {
        std::lock_guard<std::mutex> hold(mutex_);
        return uiRuns_;
    }

private:
    static void RunInUi(void* context, void (*routine)(void*), void* argument) {
        auto& alerts = *static_cast<HostAlerts*>(context);
        {
            std::lock_guard<std::mutex> hold(alerts.mutex_);
            ++alerts.uiRuns_;
        }
        routine(argument);
    }
    static void Show(void* context, const char* line) {
        auto& alerts = *static_cast<HostAlerts*>(context);
        std::unique_lock<std::mutex> hold(alerts.mutex_);
        alerts.shown_.push_back(sb::ToUtf8(line));
        alerts.changed_.notify_all();
        // The operator takes a while with the first window; bounded so a broken test cannot hang.
        alerts.changed_.wait_for(hold, kPatience, [&] { return !alerts.holdFirst_; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> shown_;
    bool holdFirst_ = true;
    int uiRuns_ = 0;
};

TEST(Alerts, LinesWaitingAreShownOnceAndInOrder) {
    sbtest::RecordingClock clock;
    sbtest::LogCapture log;
    HostAlerts host;
    sb::StartLogging();
    sb::ProcessLog().SetFileName(log.FileName());

    sb::WriteLog(3, sb::ToCp1251("Нет связи с ТРК 1"));
    ASSERT_TRUE(host.WaitFor(1));  // on screen, waiting for the operator
    clock.Set(9, 6, 0, 0);
    sb::WriteLog(3, sb::ToCp1251("Нет связи с ТРК 2"));
    sb::WriteLog(3, sb::ToCp1251("Нет связи с ТРК 2"));  // still waiting: not queued again
    sb::WriteLog(3, sb::ToCp1251("Нет связи с ТРК 1"));  // already shown: queued again
    sb::WriteLog(1, "trace only");
    host.Release();
    ASSERT_TRUE(host.WaitFor(3));
    EXPECT_EQ(host.Shown(),
              (std::vector<std::string>{"09:05:03.007 Нет связи с ТРК 1", "09:06:00.000 Нет связи с ТРК 2",
                                        "09:06:00.000 Нет связи с ТРК 1"}));
    EXPECT_GE(host.UiRuns(), 1);
    // Critical lines go to the file like any other.
    EXPECT_EQ(log.Count("Нет связи с ТРК 2"), 2u);
}

// The process ends while an alert is on screen: the system unwinds the alert thread, and that unwinding must
// pass to the thread's end, not be taken for a failed alert (which aborts the host's process).
TEST(AlertsDeathTest, ThreadEndWhileAnAlertIsShownPassesThrough) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SbHostUi ui{};
            ui.size = sizeof ui;
            ui.runInUiThread = [](void*, void (*)(void*), void*) { pthread_exit(nullptr); };
            SbSetHostUi(&ui);
            sb::StartLogging();
            sb::WriteLog(3, "on screen");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
