// CritErrorFrm: the modal window that shows a critical log line to the operator, on top of everything.
#include <windows.h>

#include "logging/AlertWindow.h"
#include "platform/win32/DialogKit.h"
#include "platform/win32/UiThread.h"

namespace sb {
namespace {

namespace win32 = platform::win32;

constexpr int kLabel1 = 100;
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr RECT kBevel1{8, 16, 8 + 409, 16 + 209};
const wchar_t kTitle[] = L"ОШИБКА";

}  // namespace

struct AlertWindow::Impl {
    win32::Font font{L"MS Sans Serif", 16, true};
    win32::Brush silver{kSilver};
    win32::Brush red{kRed};
    HWND owner = win32::OwnerWindow();
    HWND window = nullptr;
    bool closed = false;  // BitBtn1 was pressed (or the close box) since the window was shown

    void Create();
    void RunModal();
    void Close(HWND dialog);
    static INT_PTR CALLBACK CritErrorFrmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam);
};

INT_PTR CALLBACK AlertWindow::Impl::CritErrorFrmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* form = reinterpret_cast<Impl*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return form != nullptr ? form->Handle(dialog, message, wParam) : FALSE;
}

void AlertWindow::Impl::Create() {
    const win32::DialogTemplate form(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                     WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kTitle);
    window = CreateDialogIndirectParamW(win32::ThisModule(), form.get(), owner, &Impl::CritErrorFrmProc,
                                        reinterpret_cast<LPARAM>(this));
}

INT_PTR AlertWindow::Impl::Handle(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG:
            // BitBtn1 first: it leads the tab order.
            win32::AddControl(dialog, L"BUTTON", L"ВВОД", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, {170, 232, 89, 33},
                              IDOK, font.get());
            win32::AddControl(dialog, L"STATIC", L"", SS_CENTER | SS_NOPREFIX, {15, 24, 394, 193}, kLabel1, font.get());
            win32::PlaceWindow(dialog, 200, 108, 430, 273);
            return FALSE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORBTN: return reinterpret_cast<INT_PTR>(silver.get());
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wParam), kRed);
            SetTextColor(reinterpret_cast<HDC>(wParam), kBlack);
            return reinterpret_cast<INT_PTR>(red.get());
        case WM_PAINT: {
            // Bevel1: a lowered box around the message.
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(dialog, &paint);
            RECT bevel = kBevel1;
            DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_RECT);
            EndPaint(dialog, &paint);
            return TRUE;
        }
        case WM_COMMAND:
            // BitBtn1Click; Esc (IDCANCEL) does not close the window, it has no cancel button.
            if (LOWORD(wParam) == IDOK) Close(dialog);
            return TRUE;
        case WM_CLOSE: Close(dialog); return TRUE;
        default: return FALSE;
    }
}

void AlertWindow::Impl::Close(HWND dialog) {
    closed = true;
    // A sent message (a click sent by another program) is handled inside GetMessage, which would go on waiting:
    // a posted one makes it return to the loop's test.
    PostMessageW(dialog, WM_NULL, 0, 0);
}

void AlertWindow::Impl::RunModal() {
    closed = false;
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(GetDlgItem(window, IDOK));
    // The window's own modal loop: it waits for the operator, as long as that takes. A quit request ends it and
    // is passed on to the host's loop.
    MSG message;
    while (!closed) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // The owner is enabled before the window hides, so that activation returns to it.
    if (disableOwner) EnableWindow(owner, TRUE);
    ShowWindow(window, SW_HIDE);
}

AlertWindow::AlertWindow() : impl_(std::make_unique<Impl>()) { impl_->Create(); }

AlertWindow::~AlertWindow() {
    if (impl_->window != nullptr) DestroyWindow(impl_->window);
}

void AlertWindow::ShowModal(const std::string& line) {
    const std::wstring text = win32::WideFromCp1251(line);
    if (impl_->window != nullptr) SetDlgItemTextW(impl_->window, kLabel1, text.c_str());
    MessageBeep(MB_ICONASTERISK);  // 0x40, the information sound
    if (impl_->window != nullptr) {
        impl_->RunModal();
    } else {
        // The window could not be made: the operator still gets the line, in the system's message box.
        MessageBoxW(impl_->owner, text.c_str(), kTitle, MB_OK | MB_TOPMOST | MB_TASKMODAL);
    }
}

}  // namespace sb
