#include "AlertView.h"

#include <cctype>

#include "Check.h"
#include "UiDriving.h"

namespace wintest {
namespace {

const wchar_t kTitle[] = L"ОШИБКА";
constexpr DWORD kCloseMs = 5000;

HWND Label1(HWND alert) { return ChildAt(alert, L"Static", 15, 24); }
HWND BitBtn1(HWND alert) { return ChildAt(alert, L"Button", 170, 232); }

// The colour the screen shows at a point of window's client area.
COLORREF ScreenColour(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::string Hex(COLORREF colour) {
    char text[12];
    wsprintfA(text, "%06lX", static_cast<unsigned long>(colour));
    return text;
}

}  // namespace

HWND WaitForAlert(const std::string& previousMessage, DWORD timeoutMs) {
    return WaitForVisibleWindow(L"#32770", kTitle, timeoutMs, [&](HWND alert) {
        HWND label = Label1(alert);
        return label != nullptr && AlertMessage(alert) != previousMessage;
    });
}

std::string AlertMessage(HWND alert) { return TextOf(Label1(alert)); }

bool IsLogLine(const std::string& message, const std::string& text) {
    static const char kStamp[] = "dd:dd:dd.ddd ";
    constexpr size_t kStampLength = sizeof kStamp - 1;
    if (message.size() != kStampLength + text.size() || message.compare(kStampLength, text.size(), text) != 0) {
        return false;
    }
    for (size_t i = 0; i < kStampLength; ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(message[i])) != 0;
        if (kStamp[i] == 'd' ? !digit : message[i] != kStamp[i]) return false;
    }
    return true;
}

void CheckAlertLook(HWND alert, HWND owner) {
    ExpectEqual(ClientSize(alert), std::string("430x273"), "alert: client area 430x273");
    ExpectEqual(Origin(alert), std::string("200,108"), "alert: at 200,108 on the screen");
    const LONG style = GetWindowLongW(alert, GWL_STYLE);
    Expect((style & WS_CAPTION) == WS_CAPTION && (style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0,
           "alert: dialog border, fixed size, no minimise or maximise box");
    Expect((GetWindowLongW(alert, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "alert: stays on top of other windows");
    Expect(GetWindow(alert, GW_OWNER) == owner, "alert: owned by the host's window");
    Expect(GetWindowThreadProcessId(alert, nullptr) == GetWindowThreadProcessId(owner, nullptr),
           "alert: shown in the host's user-interface thread");
    Expect(!IsWindowEnabled(owner), "alert: modal, the host's window takes no input while it is shown");

    HWND label = Label1(alert);
    const RECT labelPlace = label != nullptr ? PlaceOf(label) : RECT{};
    Expect(labelPlace.right == 15 + 394 && labelPlace.bottom == 24 + 193, "alert: Label1 394x193 at 15,24");
    const LONG labelStyle = label != nullptr ? GetWindowLongW(label, GWL_STYLE) : 0;
    Expect((labelStyle & SS_TYPEMASK) == SS_CENTER && (labelStyle & SS_NOPREFIX) != 0,
           "alert: Label1 centred and word-wrapped, an ampersand shown as it is");
    HWND button = BitBtn1(alert);
    const RECT buttonPlace = button != nullptr ? PlaceOf(button) : RECT{};
    Expect(button != nullptr && buttonPlace.right == 170 + 89 && buttonPlace.bottom == 232 + 33 &&
               TextOf(button) == "ВВОД",
           "alert: BitBtn1 \"ВВОД\" 89x33 at 170,232");
    Expect(button != nullptr && (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
               GetWindow(alert, GW_CHILD) == button,
           "alert: BitBtn1 is the default button and first in tab order");

    // The window was shown a moment ago: let it paint. A corner of the label holds no text at any length; beside the
    // bevel is the window's background.
    Sleep(300);
    ExpectEqual(Hex(ScreenColour(alert, 17, 26)), Hex(RGB(255, 0, 0)), "alert: Label1's background is red");
    ExpectEqual(Hex(ScreenColour(alert, 3, 3)), Hex(RGB(192, 192, 192)), "alert: the window's background is silver");
    Expect(DarkPixels(alert, {15, 24, 15 + 394, 24 + 193}) > 50, "alert: the message is visible in Label1");
}

bool PressAlertButton(HWND alert) {
    const std::string before = AlertMessage(alert);
    if (!SendWithin(BitBtn1(alert), BM_CLICK)) return false;
    // The window hides, or shows the next waiting line at once.
    const DWORD start = GetTickCount();
    do {
        if (!IsWindow(alert) || !IsWindowVisible(alert) || AlertMessage(alert) != before) return true;
        Sleep(10);
    } while (GetTickCount() - start < kCloseMs);
    return false;
}

}  // namespace wintest
