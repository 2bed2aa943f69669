// Driving the driver's windows the way an operator would, from a test thread, while the host's thread keeps
// dispatching its messages as a host's user-interface thread does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace wintest {

// A hidden top-level window of this thread, standing for the host's main window.
HWND CreateHostWindow();

// Waits for handle while dispatching this thread's messages, sent ones included (a driver thread's SendMessage
// would wait for ever otherwise). False when timeoutMs passed first.
bool WaitDispatching(HANDLE handle, DWORD timeoutMs);

// Dispatches this thread's messages for durationMs.
void DispatchFor(DWORD durationMs);

// The first visible top-level window of the class and title that satisfies accept (any when empty); nullptr
// when none appeared within timeoutMs.
HWND WaitForVisibleWindow(const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs,
                          const std::function<bool(HWND)>& accept = {});

// True when window was destroyed or hidden within timeoutMs.
bool WaitWindowGoneOrHidden(HWND window, DWORD timeoutMs);

// The child of parent with the class whose top-left corner stands at left, top of parent's client area.
HWND ChildAt(HWND parent, const wchar_t* windowClass, int left, int top);

// A window's rectangle in its parent's client area (for a top-level window: on the screen).
RECT PlaceOf(HWND window);

// A window's client area size as "width×height" and its outer top-left corner as "left,top".
std::string ClientSize(HWND window);
std::string Origin(HWND window);

// The window's text, read with a bounded wait, as UTF-8.
std::string TextOf(HWND window);

// The text as UTF-8, for comparisons with literals and for messages.
std::string Utf8(const std::wstring& text);

// Sends message with a bounded wait; false when the window did not answer in time.
bool SendWithin(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT* result = nullptr);

// How many pixels the screen shows near black (as text is drawn) in area of window's client area.
int DarkPixels(HWND window, RECT area);

// Saves what the screen shows as a 24-bit BMP file.
bool SaveScreenshot(const std::string& path);

// Fails the check named what and ends the program with status 1: a window that cannot be closed would keep the
// host's thread in its modal loop, and the run waiting, for ever.
[[noreturn]] void Abandon(const std::string& what, const std::string& detail);

// Runs script on a thread of its own: the operator's side of a check.
class TestThread {
public:
    explicit TestThread(std::function<void()> script);
    ~TestThread();
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    // Waits, dispatching, until the script has ended. A script still running after timeoutMs is a hung window
    // or a hung check: it fails the check named what and ends the program with status 1.
    bool Finish(DWORD timeoutMs, const std::string& what);

private:
    static DWORD WINAPI RunScript(LPVOID self);

    std::function<void()> script_;
    HANDLE thread_ = nullptr;
};

}  // namespace wintest
