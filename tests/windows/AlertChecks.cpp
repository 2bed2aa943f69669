#include "AlertChecks.h"

#include "AlertView.h"
#include "Check.h"
#include "SettingsDialogChecks.h"
#include "UiDriving.h"

namespace wintest {
namespace {
constexpr DWORD kAlertMs = 5000;
}

void CheckAlertOnUnsavedSettings(HostSetup& host, TestMenuItem& entry, const SettingsFile& file) {
    DeleteFileA(file.Path().c_str());
    if (!Expect(CreateDirectoryA(file.Path().c_str(), nullptr) != 0, "alert: cnf.INI made a directory")) return;
    const std::string text = "Не удалось записать настройки в файл " + file.Path();

    ClickSettingsEntry(entry, [&](HWND dialog) {
        if (!SendWithin(ChildAt(dialog, L"Button", 82, 158), BM_CLICK)) return false;
        // The dialog has closed; the alert comes once the host's thread dispatches again.
        HWND alert = WaitForAlert("", kAlertMs);
        if (!Expect(alert != nullptr, "alert: a settings file that cannot be written brings up \"ОШИБКА\""))
            return true;
        const std::string message = AlertMessage(alert);
        Expect(IsLogLine(message, text), "alert: it shows the critical log line, time stamp included", message);
        CheckAlertLook(alert, host.window);
        Expect(SaveScreenshot("alert-window.bmp"), "alert: screenshot alert-window.bmp saved");
        if (!PressAlertButton(alert)) Abandon("alert: \"ВВОД\" closes it", "the window stays");
        Report(true, "alert: \"ВВОД\" closes it");
        return true;
    });
    DispatchFor(200);
    Expect(FindWindowW(L"#32770", L"ОШИБКА") == nullptr, "alert: the window is destroyed after the last line");
    Expect(IsWindowEnabled(host.window), "alert: the host's window takes input again");
    RemoveDirectoryA(file.Path().c_str());
}

}  // namespace wintest
