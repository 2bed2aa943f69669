// The host's user-interface thread is reached through a message-only window created on it: a routine sent to
// that window runs in the thread's message dispatch, as the host's own window procedures do.
#include <windows.h>

#include <atomic>
#include <exception>

#include "platform/UserInterface.h"
#include "platform/win32/DialogKit.h"
#include "platform/win32/UiThread.h"

namespace sb::platform {
namespace {

constexpr UINT kRunRoutine = WM_APP + 1;  // lParam: the RoutineCall
const wchar_t kClassName[] = L"SbDriverUiThread";

std::atomic<bool> attached{false};
std::atomic<HWND> uiWindow{nullptr};
std::atomic<HWND> owner{nullptr};

struct RoutineCall {
    void (*routine)(void*);
    void* argument;
    bool ran = false;
    std::exception_ptr failure;  // carried back to the caller: nothing may unwind through the host's dispatch
};

void Run(RoutineCall& call) noexcept {
    call.ran = true;
    try {
        call.routine(call.argument);
    } catch (...) {
        call.failure = std::current_exception();
    }
}

LRESULT CALLBACK UiWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunRoutine) {
        Run(*reinterpret_cast<RoutineCall*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateUiWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &UiWindowProc;
    windowClass.hInstance = win32::ThisModule();
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, win32::ThisModule(), nullptr);
}

}  // namespace

void AttachUiThread(SbWindow ownerWindow) {
    if (attached.exchange(true)) return;
    owner = ownerWindow;
    // Without the window every routine runs in its caller's thread, as before the attachment.
    uiWindow = CreateUiWindow();
}

void RunInUiThread(void (*routine)(void*), void* argument) {
    RoutineCall call{routine, argument, false, nullptr};
    const HWND window = uiWindow.load();
    if (window == nullptr || GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        Run(call);
    } else {
        // Waits as long as the host's thread takes to come to its message loop and run the routine; an alert
        // window in it waits for the operator by design.
        SendMessageW(window, kRunRoutine, 0, reinterpret_cast<LPARAM>(&call));
        if (!call.ran) Run(call);  // the host's thread and its windows are gone: run here instead
    }
    if (call.failure) std::rethrow_exception(call.failure);
}

namespace win32 {

HWND OwnerWindow() {
    const HWND window = owner.load();
    return window != nullptr && window != GetDesktopWindow() && IsWindow(window) ? window : nullptr;
}

}  // namespace win32
}  // namespace sb::platform
