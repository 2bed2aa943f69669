// A second Windows test host for the alert path: the driver's own logging, alert thread and alert window linked
// in, so that this program can log critical lines itself, while its user-interface thread is still busy, and
// watch how they come to the operator: a line waiting twice is shown once, different lines one after the other
// in the order logged, a line logged again while on screen once more.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AlertView.h"
#include "Check.h"
#include "UiDriving.h"
#include "common/Cp1251.h"
#include "logging/Log.h"
#include "platform/UserInterface.h"

using namespace wintest;

namespace {

constexpr DWORD kAlertMs = 5000;
constexpr DWORD kNoMoreMs = 1000;  // how long an alert that must not come is waited for
constexpr DWORD kOperatorMs = 30000;

const char kFirst[] = "Линия 1 не отвечает & не будет опрошена";
const char kSecond[] = "Линия 2 не отвечает";

void LogCritical(const char* utf8) { sb::WriteLog(sb::kLevelCritical, sb::ToCp1251(utf8)); }

}  // namespace

int main() {
    const HWND owner = CreateHostWindow();
    sb::StartLogging();
    sb::platform::AttachUiThread(owner);

    // This thread dispatches nothing until the operator's side runs: the lines wait in the queue.
    LogCritical(kFirst);
    LogCritical(kFirst);
    LogCritical(kSecond);

    std::vector<std::string> shown;
    TestThread operatorSide([&] {
        std::string previous;
        for (;;) {
            HWND alert = WaitForAlert(previous, shown.size() < 3 ? kAlertMs : kNoMoreMs);
            if (alert == nullptr) return;
            previous = AlertMessage(alert);
            shown.push_back(previous);
            if (shown.size() == 1) {
                CheckAlertLook(alert, owner);
                Expect(SaveScreenshot("alert-queue.bmp"), "alert queue: screenshot alert-queue.bmp saved");
                LogCritical(kFirst);  // again, while it is on screen
            }
            if (!PressAlertButton(alert)) Abandon("alert queue: \"ВВОД\" closes the window", "it stays");
        }
    });
    operatorSide.Finish(kOperatorMs, "alert queue: the operator's side ends");

    std::string seen;
    for (const std::string& message : shown) seen += "[" + message + "] ";
    if (ExpectEqual(shown.size(), size_t{3}, "alert queue: three alerts for four critical lines, one a duplicate")) {
        Expect(IsLogLine(shown[0], kFirst), "alert queue: the first line first, with its time stamp", seen);
        Expect(IsLogLine(shown[1], kSecond), "alert queue: the line waiting twice shown once, then the second", seen);
        Expect(IsLogLine(shown[2], kFirst) && shown[2] != shown[0],
               "alert queue: the line logged again while on screen is shown again, with its new time stamp", seen);
    }
    DispatchFor(200);
    Expect(FindWindowW(L"#32770", L"ОШИБКА") == nullptr, "alert queue: the window is destroyed after the last line");

    const int failures = Failures();
    std::printf("%s: %d failed\n", failures == 0 ? "ALL PASSED" : "FAILED", failures);
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
